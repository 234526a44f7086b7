# Run by `cmake --install`: writes the bridge's addon description with the installed module's full
# path (without ".so", which fcitx5 appends), so fcitx5 finds it under any prefix: it looks for
# descriptions in ~/.local/share/fcitx5/addon too, but for modules only in its own folder.
if(IS_ABSOLUTE "${VOCENA_FCITX5_INSTALL_ADDONDIR}")
  set(_library "${VOCENA_FCITX5_INSTALL_ADDONDIR}/libvocenabridge")
else()
  set(_library "${CMAKE_INSTALL_PREFIX}/${VOCENA_FCITX5_INSTALL_ADDONDIR}/libvocenabridge")
endif()

file(READ "${VOCENA_FCITX5_ADDON_CONF}" _conf)
string(REPLACE "\nLibrary=libvocenabridge\n" "\nLibrary=${_library}\n" _conf "${_conf}")
file(MAKE_DIRECTORY "${VOCENA_FCITX5_STAGING}")
file(WRITE "${VOCENA_FCITX5_STAGING}/vocenabridge.conf" "${_conf}")
if(IS_ABSOLUTE "${VOCENA_INSTALL_DATADIR}")
  set(_addons "${VOCENA_INSTALL_DATADIR}/fcitx5/addon")
else()
  set(_addons "${CMAKE_INSTALL_PREFIX}/${VOCENA_INSTALL_DATADIR}/fcitx5/addon")
endif()
file(INSTALL "${VOCENA_FCITX5_STAGING}/vocenabridge.conf" DESTINATION "${_addons}")
