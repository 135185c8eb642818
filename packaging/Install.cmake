# Installation and the Debian package. The program, its MP3 playback library
# and the two modules it opens by name (the resampler, the media player) live
# together in one private folder (the modules are looked for beside the
# program, the library is found through the RPATH $ORIGIN); bin/slidora is a
# link to the program there.
include(GNUInstallDirs)
set(SLIDORA_PROGRAM_DIR lib/slidora)

install(TARGETS slidora RUNTIME DESTINATION ${SLIDORA_PROGRAM_DIR})
install(TARGETS vbmp3 LIBRARY DESTINATION ${SLIDORA_PROGRAM_DIR})
install(TARGETS resize32 LIBRARY DESTINATION ${SLIDORA_PROGRAM_DIR})
install(TARGETS slidora_mixer LIBRARY DESTINATION ${SLIDORA_PROGRAM_DIR})
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bin}\")
  file(CREATE_LINK ../${SLIDORA_PROGRAM_DIR}/slidora \"\${bin}/slidora\" SYMBOLIC)
  message(STATUS \"Installing: \${bin}/slidora -> ../${SLIDORA_PROGRAM_DIR}/slidora\")
")

configure_file(${CMAKE_CURRENT_LIST_DIR}/slidora.1 ${CMAKE_BINARY_DIR}/packaging/slidora.1 @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/slidora.1.gz
  COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/slidora.1 -c > ${CMAKE_BINARY_DIR}/packaging/slidora.1.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/slidora.1)
add_custom_target(slidora_man ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/slidora.1.gz)

install(FILES ${CMAKE_BINARY_DIR}/packaging/slidora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slidora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slidora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Where Debian's xscreensaver-settings reads its saver descriptions.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slidora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME slidora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Slidora")
set(CPACK_PACKAGE_CONTACT "Slidora maintainers <slidora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture slideshow screen saver for the X11 desktop")
set(CPACK_PACKAGE_DESCRIPTION "Shows the BMP, JPEG and PNG pictures under a folder one after another,
fitted to the screen on a colour taken from each picture's edges, with an
optional caption and background music. Runs on its own, under the
xscreensaver daemon, in a screen locker's saver window or from an idle
trigger; has a settings dialog and a --check report.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from the binaries; the rest is loaded at run time: the Qt
# platform plugin for X11, the Japanese font, a General MIDI sound font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xsecurelock, xss-lock")
set(CPACK_STRIP_FILES ON)
include(CPack)
