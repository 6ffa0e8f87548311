# Runs at install time, when the prefix is final (`cmake --install --prefix` included): the
# desktop entry starts the viewer through its link in bin/ by absolute path, so an entry
# installed outside the search path still starts it. TRICKFOLIO_DESKTOP_IN and
# TRICKFOLIO_DESKTOP_ID come from the build.
set(exec "${CMAKE_INSTALL_PREFIX}/bin/trickfolio")
# A path with characters the Exec key reserves is quoted; inside the quotes ", `, $ and \
# take a backslash, which the key's own string escaping doubles.
if(exec MATCHES "[^A-Za-z0-9/._+-]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${exec}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  set(exec "\"${quoted}\"")
endif()
set(TRICKFOLIO_EXEC "${exec}")
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/${TRICKFOLIO_DESKTOP_ID}.desktop")
configure_file("${TRICKFOLIO_DESKTOP_IN}" "${entry}" @ONLY)
message(STATUS "Installing: ${entry}")
