# `make deb`: a Debian package of the installed tree, built by CPack's DEB generator from the
# install rules (cmake/Install.cmake) with the prefix /usr. Besides the app it holds what a
# distribution's package carries: AppStream metadata, the manual page, the copyright file (the
# licences of what is bundled) and a changelog.
set(_vocena_packaging "${PROJECT_SOURCE_DIR}/packaging")
set(_vocena_generated "${PROJECT_BINARY_DIR}/packaging")
file(MAKE_DIRECTORY "${_vocena_generated}")

# The AppStream metadata. Screenshots need web addresses: given a base under which
# docs/screenshots/ is published (-DVOCENA_SCREENSHOT_BASE_URL=https://…), they are listed.
set(VOCENA_SCREENSHOT_BASE_URL "" CACHE STRING "Web address of the published docs/screenshots/ folder, for the AppStream metadata")
set(VOCENA_RELEASE_DATE "2026-12-08" CACHE STRING "Date of this version's release, for the AppStream metadata")
set(VOCENA_METAINFO_URLS "")
if(VOCENA_SCREENSHOT_BASE_URL)
  string(APPEND VOCENA_METAINFO_URLS "  <screenshots>\n")
  foreach(_shot "settings-light.png;设置" "banner-recognizing.png;听写中的通知栏" "menu-light.png;托盘菜单")
    list(GET _shot 0 _file)
    list(GET _shot 1 _caption)
    set(_type "")
    if(_file STREQUAL "settings-light.png")
      set(_type " type=\"default\"")
    endif()
    string(APPEND VOCENA_METAINFO_URLS "    <screenshot${_type}>\n      <caption>${_caption}</caption>\n"
                                       "      <image>${VOCENA_SCREENSHOT_BASE_URL}/${_file}</image>\n    </screenshot>\n")
  endforeach()
  string(APPEND VOCENA_METAINFO_URLS "  </screenshots>")
endif()
configure_file("${_vocena_packaging}/com.vocena.Vocena.metainfo.xml.in" "${_vocena_generated}/com.vocena.Vocena.metainfo.xml" @ONLY)

# The copyright file: the hand-written part, then the notice of each Wayland protocol file whose
# generated code is compiled in.
file(READ "${_vocena_packaging}/copyright.in" _copyright)
file(GLOB _protocols "${PROJECT_SOURCE_DIR}/third_party/wlr-protocols/*.xml")
list(SORT _protocols)
foreach(_protocol IN LISTS _protocols)
  file(READ "${_protocol}" _xml)
  string(REGEX MATCH "<copyright>(.*)</copyright>" _ignored "${_xml}")
  string(REGEX REPLACE "\n[ \t]*" "\n" _notice "${CMAKE_MATCH_1}")
  string(STRIP "${_notice}" _notice)
  string(REGEX MATCHALL "Copyright ©[^\n]*" _holders "${_notice}")
  string(REPLACE "Copyright © " "" _holders "${_holders}")
  string(REPLACE ";" "\n           " _holders "${_holders}")
  string(REGEX REPLACE "^Copyright ©[^\n]*\n" "" _text "${_notice}")
  string(REGEX REPLACE "(^|\n)Copyright ©[^\n]*" "" _text "${_text}")
  string(STRIP "${_text}" _text)
  string(REGEX REPLACE "\n\n+" "\n.\n" _text "${_text}")
  string(REPLACE "\n" "\n " _text "${_text}")
  get_filename_component(_name "${_protocol}" NAME)
  get_filename_component(_stem "${_protocol}" NAME_WE)
  string(APPEND _copyright "\nFiles: third_party/wlr-protocols/${_name}\nCopyright: ${_holders}\nLicense: ${_stem}-notice\n ${_text}\n")
endforeach()
file(WRITE "${_vocena_generated}/copyright" "${_copyright}")

# The manual page and the changelog, compressed as Debian wants them (no name or time stamp).
foreach(_file vocena.1 changelog)
  execute_process(COMMAND gzip -9nc "${_vocena_packaging}/${_file}" OUTPUT_FILE "${_vocena_generated}/${_file}.gz"
                  RESULT_VARIABLE _gzip)
  if(NOT _gzip EQUAL 0)
    message(FATAL_ERROR "gzip ${_file} failed")
  endif()
endforeach()

install(FILES "${_vocena_generated}/com.vocena.Vocena.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${_vocena_generated}/vocena.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${_vocena_generated}/copyright" "${_vocena_generated}/changelog.gz" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vocena)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Vocena developers")
# Who answers for the package; a release sets its own (-DVOCENA_MAINTAINER="Name <address>").
set(VOCENA_MAINTAINER "The Vocena developers <vocena@example.org>" CACHE STRING "The package's Maintainer field")
set(CPACK_PACKAGE_CONTACT "${VOCENA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mandarin dictation anywhere on the desktop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Double-tap Alt anywhere on the desktop and speak Mandarin: the speech is
recognised on this computer (sherpa-onnx), optionally corrected or answered by
an OpenAI-compatible chat model, and typed into the focused window through the
fcitx5 bridge, X11 or a wlroots compositor. Text that cannot be typed stays on
the clipboard. Speech models are downloaded after installation.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/cpack")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages, from the binaries' needs; the speech engine's libraries are private
# (found beside the prebuilt ones the build used) and belong to this package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${_vocena_sherpa_libdir}")
# Programs the app runs itself: bzip2 with tar (essential) unpacks model archives.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "bzip2")
# A sound server, a Secret Service for the API key, fcitx5 for the bridge, glyphs for Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, gnome-keyring | keepassxc | kwalletmanager, fcitx5, fonts-noto-cjk")
# Qt's own Wayland platform (else the app runs through XWayland), fcitx5's frontend for Qt apps.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland, fcitx5-frontend-qt6")
include(CPack)
