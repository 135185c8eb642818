# The zip a Windows user unpacks: the saver and its two libraries side by
# side, with a short read-me. Built with `cpack` in the build folder once the
# three files are built; packing builds nothing itself, so a build of only
# the program and its libraries can be packed without building the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(FILES
  ${CMAKE_BINARY_DIR}/Slidora.scr
  $<TARGET_FILE:resize32>
  $<TARGET_FILE:vbmp3>
  ${SLIDORA_ROOT}/packaging/windows/README.txt
  DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_arch win32)
else()
  set(_arch win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Slidora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Slidora-${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}-${_arch})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
