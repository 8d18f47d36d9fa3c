# Cross-compiling the console tools for 64-bit Windows with Debian's MinGW-w64
# (the POSIX-threads flavour, so std::thread and std::mutex work), tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VX_MINGW_PREFIX}-windres)

# Headers and libraries of the target only; programs (moc, windres) of the host.
# A Qt 6 for Windows (for the configurator) is searched in VX_WINDOWS_QT, e.g.
# -DVX_WINDOWS_QT=/opt/qt6-mingw_64 -DQT_HOST_PATH=/opt/qt6-linux.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VX_WINDOWS_QT)
set(CMAKE_FIND_ROOT_PATH /usr/${VX_MINGW_PREFIX} ${VX_WINDOWS_QT})
if(VX_WINDOWS_QT)
  list(APPEND CMAKE_PREFIX_PATH ${VX_WINDOWS_QT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: an .exe must need no DLL beyond Windows' own (no
# libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll beside it).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and the build's test discovery run Windows programs through Wine.
find_program(VX_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VX_WINE})
endif()
