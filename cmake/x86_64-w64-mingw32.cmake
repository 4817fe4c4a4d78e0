# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour, whose
# C++ runtime has std::thread). Libraries are looked for only in the toolchain's own root and
# in the folders named in KELVARN_WINDOWS_PREFIXES, never among the build machine's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVARN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVARN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVARN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVARN_MINGW_TRIPLE}-windres)

set(KELVARN_WINDOWS_PREFIXES "" CACHE STRING
    "Install folders of the Windows builds of the libraries (a CMake list)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELVARN_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${KELVARN_MINGW_TRIPLE} ${KELVARN_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand out the build machine's Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} "")
set(ENV{PKG_CONFIG_PATH} "")
