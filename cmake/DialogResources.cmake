# The window templates of res/dialogs/ as Windows dialog resources: one
# DIALOGEX per template, in a UTF-8 .rc file that the resource compiler
# reads. The JSON files stay the one source of both front ends; the Windows
# dialog manager then builds the windows itself, from resources it loads
# like any Windows program's.
#
# As a function, for a CMakeLists.txt:
#
#   velunar_dialog_resources(OUTPUT <file.rc> IDS <header> TEMPLATES <json>...)
#
# adds the command that writes OUTPUT whenever a template, the header or this
# file changes. As a script (cmake -P), it is that command:
#
#   cmake -DOUTPUT=<file.rc> -DIDS=<header> "-DTEMPLATES=<a.json;b.json>" -P DialogResources.cmake
#
# A template is named by its file (IDD_ABOUTBOX.json); the header gives the
# numbers of the templates and controls as lines X(IDC_NAME, 1000), the form
# of ui/resource_ids.h; IDOK and IDCANCEL are known without it. A template
# the Qt front end would refuse (an unknown key, kind or style, a control
# without its id) stops the build here too.
#
# What each template kind becomes (class and styles beyond the template's
# own WS_ styles):
#   edit                 "Edit"     ES_LEFT | ES_AUTOHSCROLL (one line)
#   list box             "ListBox"  LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED
#                                   | LBS_NOINTEGRALHEIGHT: the program's lists
#                                   are owner-data lists over its view list
#   push button          "Button"   BS_PUSHBUTTON
#   default push button  "Button"   BS_DEFPUSHBUTTON
#   static text          "Static"   SS_LEFT | WS_GROUP
#   static icon          "Static"   SS_ICON | WS_GROUP, showing icon 128
#                                   (IDR_MAINFRAME), the window's icon
# Every window is a modal frame with a title and a system menu, in
# "MS Shell Dlg" at the template's size (DS_SETFONT | DS_FIXEDSYS: the shell
# dialog font of the system), Russian. None has WS_VISIBLE: the modal run
# shows the window once it is placed. "accessibleName" and "description" are
# the Qt front end's; Windows' accessibility names a control after the label
# before it.

set(_velunar_dialog_resources_script ${CMAKE_CURRENT_LIST_FILE})

function(velunar_dialog_resources)
  cmake_parse_arguments(ARG "" "OUTPUT;IDS" "TEMPLATES" ${ARGN})
  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${ARG_OUTPUT} -DIDS=${ARG_IDS}
            "-DTEMPLATES=${ARG_TEMPLATES}" -P ${_velunar_dialog_resources_script}
    DEPENDS ${ARG_TEMPLATES} ${ARG_IDS} ${_velunar_dialog_resources_script}
    COMMENT "Making dialog resources ${ARG_OUTPUT}"
    VERBATIM)
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE OR NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  return()
endif()

# --- The script. ---
# Run with -P, it has no project's policies: take those of the tree's CMake.
cmake_policy(VERSION 3.22)

function(_fail where message)
  message(FATAL_ERROR "${where}: ${message}")
endfunction()

# The numbers of the names: IDOK, IDCANCEL and every X(name, number) line.
# (Read whole: the header's lines end in backslashes, which a CMake list
# of its lines would take for escapes.)
file(READ ${IDS} _ids)
string(REGEX MATCHALL "X\\(ID[A-Z0-9_]+, *[0-9]+\\)" _id_entries "${_ids}")
set(_id_IDOK 1)
set(_id_IDCANCEL 2)
foreach(_entry IN LISTS _id_entries)
  string(REGEX MATCH "X\\((ID[A-Z0-9_]+), *([0-9]+)\\)" _ "${_entry}")
  set(_id_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()

# Fails unless every key of the object `json` is one of ARGN.
function(_check_keys where json)
  string(JSON _n LENGTH "${json}")
  if(_n EQUAL 0)
    return()
  endif()
  math(EXPR _last "${_n} - 1")
  foreach(_i RANGE ${_last})
    string(JSON _key MEMBER "${json}" ${_i})
    if(NOT _key IN_LIST ARGN)
      _fail("${where}" "unknown key \"${_key}\"")
    endif()
  endforeach()
endfunction()

# An RC string: quotes doubled, and nothing else that RC would read as an
# escape or a line end.
function(_rc_string out text where)
  if(text MATCHES "[\\\n\r\t]")
    _fail("${where}" "a caption holds a backslash or a line break")
  endif()
  string(REPLACE "\"" "\"\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

set(_rc "// Made from the window templates by cmake/DialogResources.cmake; do not edit.\n")
string(APPEND _rc "#pragma code_page(65001)\n#include <winresrc.h>\n\n")
string(APPEND _rc "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n")

foreach(_file IN LISTS TEMPLATES)
  get_filename_component(_name ${_file} NAME_WE)
  if(NOT DEFINED _id_${_name})
    _fail("${_file}" "${_name} names no id in ${IDS}")
  endif()
  file(READ ${_file} _json)
  _check_keys("${_file}" "${_json}" title size font controls)
  string(JSON _title GET "${_json}" title)
  string(JSON _w GET "${_json}" size 0)
  string(JSON _h GET "${_json}" size 1)
  string(JSON _font GET "${_json}" font)
  _check_keys("${_file}: font" "${_font}" points weight italic)
  string(JSON _points GET "${_font}" points)
  string(JSON _weight ERROR_VARIABLE _no_weight GET "${_font}" weight)
  if(_no_weight)
    set(_weight 400)
  endif()
  string(JSON _italic ERROR_VARIABLE _no_italic GET "${_font}" italic)
  if(_no_italic OR _italic STREQUAL "OFF")
    set(_italic 0)
  else()
    set(_italic 1)
  endif()
  _rc_string(_caption "${_title}" "${_file}")
  string(APPEND _rc "\n${_id_${_name}} DIALOGEX 0, 0, ${_w}, ${_h}\n")
  string(APPEND _rc "STYLE DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS | WS_POPUP | WS_CAPTION | WS_SYSMENU\n")
  string(APPEND _rc "CAPTION ${_caption}\n")
  string(APPEND _rc "FONT ${_points}, \"MS Shell Dlg\", ${_weight}, ${_italic}, 0x1\nBEGIN\n")

  string(JSON _count LENGTH "${_json}" controls)
  math(EXPR _last "${_count} - 1")
  foreach(_i RANGE ${_last})
    set(_where "${_file}: controls[${_i}]")
    string(JSON _c GET "${_json}" controls ${_i})
    _check_keys("${_where}" "${_c}" identifier kind caption accessibleName description rect styles)
    string(JSON _kind GET "${_c}" kind)
    string(JSON _text GET "${_c}" caption)
    string(JSON _identifier ERROR_VARIABLE _no_identifier GET "${_c}" identifier)
    if(_kind STREQUAL "edit")
      set(_class Edit)
      set(_style "ES_LEFT | ES_AUTOHSCROLL")
      set(_allowed WS_VISIBLE WS_DISABLED WS_TABSTOP WS_BORDER)
    elseif(_kind STREQUAL "list box")
      set(_class ListBox)
      set(_style "LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT")
      set(_allowed WS_VISIBLE WS_DISABLED WS_TABSTOP WS_BORDER WS_VSCROLL)
    elseif(_kind STREQUAL "push button")
      set(_class Button)
      set(_style "BS_PUSHBUTTON")
      set(_allowed WS_VISIBLE WS_DISABLED WS_TABSTOP BS_MULTILINE)
    elseif(_kind STREQUAL "default push button")
      set(_class Button)
      set(_style "BS_DEFPUSHBUTTON")
      set(_allowed WS_VISIBLE WS_DISABLED WS_TABSTOP BS_MULTILINE)
    elseif(_kind STREQUAL "static text")
      set(_class Static)
      set(_style "SS_LEFT | WS_GROUP")
      set(_allowed WS_VISIBLE WS_DISABLED SS_NOPREFIX)
    elseif(_kind STREQUAL "static icon")
      set(_class Static)
      set(_style "SS_ICON | WS_GROUP")
      set(_allowed WS_VISIBLE WS_DISABLED)
    else()
      _fail("${_where}" "unknown kind \"${_kind}\"")
    endif()

    if(_kind MATCHES "^static")
      if(NOT _no_identifier)
        _fail("${_where}" "a label or icon has no identifier")
      endif()
      set(_id -1)
    elseif(_no_identifier OR NOT DEFINED _id_${_identifier})
      _fail("${_where}" "identifier \"${_identifier}\" names no id")
    else()
      set(_id ${_id_${_identifier}})
    endif()
    if(_kind MATCHES "^(edit|list box|static icon)$" AND NOT _text STREQUAL "")
      _fail("${_where}" "an edit field, list or icon has no caption")
    endif()

    string(JSON _nstyles LENGTH "${_c}" styles)
    set(_visible FALSE)
    if(_nstyles GREATER 0)
      math(EXPR _slast "${_nstyles} - 1")
      foreach(_s RANGE ${_slast})
        string(JSON _one GET "${_c}" styles ${_s})
        if(NOT _one IN_LIST _allowed)
          _fail("${_where}" "style \"${_one}\" does not apply to kind \"${_kind}\"")
        endif()
        if(_one STREQUAL "WS_VISIBLE")
          set(_visible TRUE)
        else()
          string(APPEND _style " | ${_one}")
        endif()
      endforeach()
    endif()
    # A CONTROL is WS_CHILD | WS_VISIBLE unless told otherwise.
    if(NOT _visible)
      string(APPEND _style " | NOT WS_VISIBLE")
    endif()

    set(_rect "")
    foreach(_r RANGE 3)
      string(JSON _v GET "${_c}" rect ${_r})
      list(APPEND _rect ${_v})
    endforeach()
    list(JOIN _rect ", " _rect)

    if(_kind STREQUAL "static icon")
      set(_caption 128)
    else()
      _rc_string(_caption "${_text}" "${_where}")
    endif()
    string(APPEND _rc "  CONTROL ${_caption}, ${_id}, \"${_class}\", ${_style}, ${_rect}\n")
  endforeach()
  string(APPEND _rc "END\n")
endforeach()

# Written only when it changes, so that nothing recompiles for nothing.
file(WRITE ${OUTPUT}.new "${_rc}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
