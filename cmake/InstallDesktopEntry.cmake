# Run by `cmake --install`: writes data/vocena.desktop with every "Exec=vocena" replaced by the
# installed binary's full path, quoted and escaped as a desktop-entry Exec argument.
if(IS_ABSOLUTE "${VOCENA_INSTALL_BINDIR}")
  set(_exec "${VOCENA_INSTALL_BINDIR}/vocena")
else()
  set(_exec "${CMAKE_INSTALL_PREFIX}/${VOCENA_INSTALL_BINDIR}/vocena")
endif()

# Reserved characters force quoting; inside the quotes ", `, $ and \ take a backslash. The value
# is then escaped as a desktop-entry string (\ becomes \\) and a literal % is written %%.
if(_exec MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
  string(REPLACE "\\" "\\\\" _exec "${_exec}")
  string(REPLACE "\"" "\\\"" _exec "${_exec}")
  string(REPLACE "`" "\\`" _exec "${_exec}")
  string(REPLACE "$" "\\$" _exec "${_exec}")
  set(_exec "\"${_exec}\"")
  string(REPLACE "\\" "\\\\" _exec "${_exec}")
endif()
string(REPLACE "%" "%%" _exec "${_exec}")

file(READ "${VOCENA_DESKTOP_SOURCE}" _entry)
string(REPLACE "\nExec=vocena" "\nExec=${_exec}" _entry "${_entry}")
file(MAKE_DIRECTORY "${VOCENA_DESKTOP_STAGING}")
file(WRITE "${VOCENA_DESKTOP_STAGING}/vocena.desktop" "${_entry}")
if(IS_ABSOLUTE "${VOCENA_INSTALL_DATADIR}")
  set(_applications "${VOCENA_INSTALL_DATADIR}/applications")
else()
  set(_applications "${CMAKE_INSTALL_PREFIX}/${VOCENA_INSTALL_DATADIR}/applications")
endif()
file(INSTALL "${VOCENA_DESKTOP_STAGING}/vocena.desktop" DESTINATION "${_applications}")
