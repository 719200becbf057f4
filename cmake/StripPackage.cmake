# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the staged files of the package,
# after they are installed and stripped and before they are packed: removes
# the .comment and .note sections that strip leaves in an ELF file, the
# compiler's and linker's notes, which no program reads at run time.
# .note.gnu.build-id and the other .note.* sections stay.
if(NOT CPACK_VELUNAR_STRIP)
  message(FATAL_ERROR "StripPackage.cmake: no strip program (CPACK_VELUNAR_STRIP)")
endif()
file(GLOB_RECURSE _staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
set(_stripped 0)
foreach(_file IN LISTS _staged)
  if(IS_SYMLINK "${_file}")
    continue()
  endif()
  file(READ "${_file}" _magic LIMIT 4 HEX)
  if(_magic STREQUAL "7f454c46")
    execute_process(
      COMMAND "${CPACK_VELUNAR_STRIP}" --remove-section=.comment --remove-section=.note "${_file}"
      RESULT_VARIABLE _status)
    if(NOT _status EQUAL 0)
      message(FATAL_ERROR "StripPackage.cmake: strip failed on ${_file}")
    endif()
    math(EXPR _stripped "${_stripped} + 1")
  endif()
endforeach()
# The package holds the program: a run that found no ELF file looked in the
# wrong place.
if(_stripped EQUAL 0)
  message(FATAL_ERROR "StripPackage.cmake: no ELF file under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
