# The Debian package of the program: `cpack -G DEB` in a build tree, after
# building; scripts/package.sh does both with Debian's hardening flags.
# Included once from the top CMakeLists.txt, after every install rule, so
# that the package holds the program, its desktop entry, metainfo, icons,
# manual pages and Debian documents.

set(VELUNAR_DEBIAN_RELEASE 1)
set(VELUNAR_DEBIAN_VERSION "${PROJECT_VERSION}-${VELUNAR_DEBIAN_RELEASE}")

# The Debian changelog is written by hand; its newest entry must be the
# version being packaged, or the package would describe another one.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian _newest LIMIT_COUNT 1)
if(NOT _newest MATCHES "^velunar \\(${VELUNAR_DEBIAN_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog.Debian starts with \"${_newest}\"; "
    "add an entry for velunar (${VELUNAR_DEBIAN_VERSION}) at its top")
endif()

# The manual pages name the version, its date and the site.
set(_doc_dir ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/man/velunar.1.in ${_doc_dir}/en/velunar.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/man/velunar.ru.1.in ${_doc_dir}/ru/velunar.1 @ONLY)

# Debian keeps manual pages and changelogs compressed with gzip -9, without
# a name or time stamp in the header (-n), so that two builds are the same.
set(_gzipped)
foreach(pair "en/velunar.1;${_doc_dir}/en/velunar.1"
             "ru/velunar.1;${_doc_dir}/ru/velunar.1"
             "changelog.Debian;${PROJECT_SOURCE_DIR}/packaging/changelog.Debian"
             "changelog;${PROJECT_SOURCE_DIR}/packaging/changelog")
  list(GET pair 0 _name)
  list(GET pair 1 _source)
  add_custom_command(OUTPUT ${_doc_dir}/${_name}.gz
    COMMAND gzip -9n -c ${_source} > ${_doc_dir}/${_name}.gz
    DEPENDS ${_source}
    COMMENT "Compressing ${_name}"
    VERBATIM)
  list(APPEND _gzipped ${_doc_dir}/${_name}.gz)
endforeach()
add_custom_target(velunar_docs ALL DEPENDS ${_gzipped})

install(FILES ${_doc_dir}/en/velunar.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_doc_dir}/ru/velunar.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1)
# Debian wants the licence, in its machine-readable form, at
# /usr/share/doc/<package>/copyright, beside the two changelogs.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${_doc_dir}/changelog.Debian.gz ${_doc_dir}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The one lintian finding that does not apply to a package outside Debian's
# archive, with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME velunar)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "velunar")
# The one version of project(VERSION): 2006.4.0.0.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Велунар developers")
set(CPACK_PACKAGE_CONTACT "${VELUNAR_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal address and telephone book")
# The long description follows the summary line; CPack indents it and turns
# the empty line into the " ." paragraph mark of debian/control.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Velunar (Велунар) keeps names, telephone numbers, addresses and notes as
free-text entries, one line each, in alphabetical order in a single window.
One field serves for typing a new entry, editing the selected one and
searching; search ignores letter case, Cyrillic included.

The user interface is in Russian only. The entries are kept in the plain
text file velunar.txt (Windows-1251) in the directory the program starts
in, which from the desktop menu is the home directory; a save never leaves
that file half-written.")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELUNAR_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELUNAR_SITE_URL}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELUNAR_DEBIAN_RELEASE})
# The library dependencies (Qt, the C++ runtime, libc) are worked out from
# the installed binary by dpkg-shlibdeps and added to these, so they follow
# whatever the build linked against and never go stale. No window opens
# without a Qt platform plugin: qt6-qpa-plugins holds the X11 one, which
# Qt's own packages only recommend. The window's size rests on DejaVu Sans
# Condensed (fonts-dejavu-extra): its dialog units come from that font, and
# with the desktop's sans standing in the main window no longer comes out at
# the size it was drawn for (1024 x 768 screens), so the font is needed too.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-extra")
# Wayland's platform plugin (without it a Wayland session runs the program
# through XWayland) and Qt's own texts in Russian; the program runs without
# each, but looks worse.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
# velunar_<version>-<release>_<arch>.deb, as Debian names its packages.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The program goes to /usr/bin and its data under /usr/share.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
# Debug information stays in the build tree; the package carries stripped
# files. strip alone leaves the compiler's .comment and .note sections,
# which the pre-build script removes, as Debian's own packaging does.
set(CPACK_STRIP_FILES ON)
set(CPACK_VELUNAR_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/StripPackage.cmake)

include(CPack)
