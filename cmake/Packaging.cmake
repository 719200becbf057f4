# The Debian package of the program: `cpack -G DEB` in a build tree, after
# building. Included once from the top CMakeLists.txt, after every install
# rule, so that the package holds the program, its desktop entry, metainfo
# and icons.

# Debian wants the licence at /usr/share/doc/<package>/copyright.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "velunar")
# The one version of project(VERSION): 2006.4.0.0.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Велунар developers")
set(CPACK_PACKAGE_CONTACT "Велунар developers <dev@example.org>")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal address and telephone book")
# The long description follows the summary line; CPack indents it and turns
# the empty line into the " ." paragraph mark of debian/control.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Velunar (Велунар) keeps names, telephone numbers, addresses and notes as
free-text entries, one line each, in alphabetical order in a single window.
One field serves for typing a new entry, editing the selected one and
searching; search ignores letter case, Cyrillic included. The entries are
kept in velunar.txt (Windows-1251) in the directory the program starts in.

Личная книжка адресов и телефонов. Велунар хранит имена, телефоны, адреса
и заметки в виде свободных записей, по одной строке, и показывает их по
алфавиту в одном окне. Одно поле служит для ввода новой записи, правки
выбранной и поиска; поиск не различает строчные и прописные буквы. Записи
хранятся в файле velunar.txt (Windows-1251) в каталоге, из которого
запущена программа.")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Велунар developers <dev@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The dependencies (Qt, the C++ runtime, libc) are worked out from the
# installed binary by dpkg-shlibdeps, so they follow whatever the build
# linked against and never go stale.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# velunar_<version>-<release>_<arch>.deb, as Debian names its packages.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The program goes to /usr/bin and its data under /usr/share.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
# Debug information stays in the build tree; the package carries stripped files.
set(CPACK_STRIP_FILES ON)

include(CPack)
