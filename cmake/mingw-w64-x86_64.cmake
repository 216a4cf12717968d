# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# so std::thread and std::mutex work) and Wine to run what it builds.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Executables are linked fully static, so the .exe needs nothing beyond what
# every Windows 10/11 installation has.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VP_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VP_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VP_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLLs to ship beside the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O2 rather than -O3 for optimised builds: at -O3 this GCC (12) reports
# out-of-bounds copies inside libstdc++'s vector::insert that cannot happen,
# and -Werror turns them into a failed build.
# (The platform's own -O3 would follow any *_INIT flags given here, so the
# cache entries are set instead.)
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for optimised C builds")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for optimised C++ builds")

# Test programs (and GoogleTest's discovery) run under Wine. wine64 is called
# directly: Debian's `wine` wrapper only adds a hint about 32-bit support.
find_program(VP_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VP_WINE})
endif()
