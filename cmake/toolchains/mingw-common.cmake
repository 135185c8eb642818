# Shared body of the mingw-w64 toolchain files; the including file sets
# SLIDORA_MINGW_TRIPLET first.
#
# The -posix compilers are used because the -win32 thread model that Debian
# makes the default has no std::thread, std::mutex or std::condition_variable
# with GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)
# i686 or x86_64; libjpeg-turbo picks its SIMD code from it.
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${SLIDORA_MINGW_TRIPLET}")

set(CMAKE_C_COMPILER ${SLIDORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SLIDORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SLIDORA_MINGW_TRIPLET}-windres)
set(CMAKE_RC_FLAGS "-O coff")
# CMake does not derive these from a -posix compiler name.
set(CMAKE_AR ${SLIDORA_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${SLIDORA_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${SLIDORA_MINGW_TRIPLET}-objdump CACHE FILEPATH "")

# The libraries cross-built by tools/build-windows-deps.sh. Overridable so that
# a build can point at a prefix made elsewhere.
get_filename_component(_slidoraSource "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(SLIDORA_WINDOWS_DEPS_PREFIX "${_slidoraSource}/build-win/deps/${SLIDORA_MINGW_TRIPLET}"
    CACHE PATH "Prefix holding libjpeg, libpng and libmpg123 built for this triplet")

set(CMAKE_FIND_ROOT_PATH /usr/${SLIDORA_MINGW_TRIPLET} ${SLIDORA_WINDOWS_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must not hand out the build machine's Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${SLIDORA_WINDOWS_DEPS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Everything links statically, so the program and its DLLs import only
# system DLLs: nothing from libstdc++, libgcc or winpthread to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
