# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, in its POSIX
# threads flavour: the C++ standard library's threads and <mutex> need it, and
# its winpthread links statically like the rest of the runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVANE_MINGW_TRIPLE}-windres)

# Libraries and headers only from the Windows sysroot, never the host's; the
# tools that run during the build are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${SORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
