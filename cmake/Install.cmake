# `cmake --install <build> --prefix P`: the executable, the sherpa-onnx libraries it loads, the
# desktop entry and the icon. The libraries go into a private folder that the executable's
# RPATH names relative to itself, so the installed tree works from any prefix without
# LD_LIBRARY_PATH (libsherpa-onnx-c-api.so finds libonnxruntime.so beside itself).
include(GNUInstallDirs)

# Debian's multiarch folder under any prefix (GNUInstallDirs uses it only for /usr), so that the
# package and `make install` share one layout and the bridge lands where fcitx5 looks.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(VOCENA_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
else()
  set(VOCENA_INSTALL_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
endif()
set(VOCENA_INSTALL_PRIVATE_LIBDIR "${VOCENA_INSTALL_LIBDIR}/vocena")
file(RELATIVE_PATH _vocena_bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${VOCENA_INSTALL_PRIVATE_LIBDIR}")
set_target_properties(vocena PROPERTIES INSTALL_RPATH "$ORIGIN/${_vocena_bin_to_lib}")
install(TARGETS vocena RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

get_filename_component(_vocena_sherpa_libdir "${SHERPA_ONNX_C_API}" DIRECTORY)
foreach(_vocena_lib libsherpa-onnx-c-api.so libonnxruntime.so)
  if(NOT EXISTS "${_vocena_sherpa_libdir}/${_vocena_lib}")
    message(FATAL_ERROR "${_vocena_lib} not found in ${_vocena_sherpa_libdir}: run scripts/bootstrap")
  endif()
  # Installed under the name the loader asks for, even where the cache holds a symlink.
  file(REAL_PATH "${_vocena_sherpa_libdir}/${_vocena_lib}" _vocena_lib_file)
  install(FILES "${_vocena_lib_file}" RENAME "${_vocena_lib}"
    DESTINATION "${VOCENA_INSTALL_PRIVATE_LIBDIR}"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  # Stripped with the binary (`--strip`, and the package): the prebuilt libraries carry symbols.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VOCENA_INSTALL_PRIVATE_LIBDIR}/${_vocena_lib}\")
    endif()
  ")
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/data/vocena.svg"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# The desktop entry's Exec lines name the installed binary by its full path: a launcher must not
# depend on the session's PATH (~/.local/bin is often missing from it until the next login).
install(CODE "
  set(VOCENA_DESKTOP_SOURCE \"${PROJECT_SOURCE_DIR}/data/vocena.desktop\")
  set(VOCENA_DESKTOP_STAGING \"${PROJECT_BINARY_DIR}/install-staging\")
  set(VOCENA_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(VOCENA_INSTALL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
")
install(SCRIPT "${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake")

# The fcitx5 bridge, when built: the module in <libdir>/fcitx5 (fcitx5's own addon folder for the
# /usr prefix) and its addon description, which names the module by its installed path.
if(TARGET vocenabridge)
  install(TARGETS vocenabridge LIBRARY DESTINATION "${VOCENA_INSTALL_LIBDIR}/fcitx5")
  install(CODE "
    set(VOCENA_FCITX5_ADDON_CONF \"${VOCENA_FCITX5_ADDON_CONF}\")
    set(VOCENA_FCITX5_STAGING \"${PROJECT_BINARY_DIR}/install-staging\")
    set(VOCENA_FCITX5_INSTALL_ADDONDIR \"${VOCENA_INSTALL_LIBDIR}/fcitx5\")
    set(VOCENA_INSTALL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  ")
  install(SCRIPT "${PROJECT_SOURCE_DIR}/cmake/InstallFcitx5Addon.cmake")
endif()
