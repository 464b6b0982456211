# What the install puts beside the two programs (menu entry, icons, AppStream metainfo, manual
# pages, bash completion, all from dist/) and the Debian package that scripts/package makes of
# it with CPack. Every destination is relative to the install prefix, so nothing lands outside
# it. The string table needs no file of its own: it is compiled into the programs.

set(VANTELSO_DIST ${PROJECT_SOURCE_DIR}/dist)

# The desktop program's menu entry and icons, only where the program itself is built.
if(TARGET vantelso)
  install(FILES ${VANTELSO_DIST}/vantelso.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VANTELSO_DIST}/com.example.merovan.vantelso.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The PNGs are src/app/gui/icons/app.svg rendered by Qt's SVG icon engine at each size:
  # render them again when the picture changes.
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${VANTELSO_DIST}/icons/${size}x${size}/apps/vantelso.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/src/app/gui/icons/app.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME vantelso.svg)
endif()

# Manual pages are installed compressed, as Debian expects; -n keeps the archive free of the
# build's time stamps.
set(manpages "")
foreach(page vantelso vantelso-cli)
  if(NOT TARGET ${page})
    continue()
  endif()
  set(out ${PROJECT_BINARY_DIR}/dist/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy ${VANTELSO_DIST}/man/${page}.1 ${PROJECT_BINARY_DIR}/dist/
    COMMAND gzip -9 -n -f ${PROJECT_BINARY_DIR}/dist/${page}.1
    DEPENDS ${VANTELSO_DIST}/man/${page}.1
    VERBATIM)
  list(APPEND manpages ${out})
endforeach()
add_custom_target(vantelso_manpages ALL DEPENDS ${manpages})
install(FILES ${manpages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VANTELSO_DIST}/completion/vantelso-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantelso)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Merovan srl <info@merovan.example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.merovan.example.com)
# dpkg-shlibdeps finds the Qt, C and C++ runtime libraries the programs link to. Qt loads the
# rest at run time, so they are named here: the X11 platform plugin, the SVG icon engine of the
# button icons and Qt's own Italian translations of standard buttons and file dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n")
# The completion file is loaded by bash-completion, which minimal installations leave out.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for programmable DIN-rail signal conditioners")
# The synopsis line comes from the summary above; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VANTELSO identifies a signal conditioner on a serial port, reads and edits its
configuration against the limits of the model and writes it back, saves and
opens configuration files, prints a configuration report and shows live
measurements. It holds the maker's factory bench too. The desktop program is
vantelso, the command-line tool vantelso-cli.
.
To open a serial port the user must be a member of the group that owns the
serial device nodes, dialout on Debian: sudo usermod -aG dialout $USER, then
log out and in again.")
include(CPack)
