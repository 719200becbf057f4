# Fills in the installer script (velunar.nsi.in) from -D values, with the
# program's size in kilobytes for "Apps and features".
file(SIZE "${VELUNAR_EXE}" bytes)
math(EXPR VELUNAR_EXE_KB "(${bytes} + 1023) / 1024")
configure_file("${IN}" "${OUT}" @ONLY)
