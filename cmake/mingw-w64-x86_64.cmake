# Cross toolchain: Debian's mingw-w64, POSIX-threads variant (std::thread needs it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORNIKA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORNIKA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNIKA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNIKA_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VORNIKA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C and C++ runtimes go into every binary: nothing but Windows' own DLLs
# and ours has to travel with the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--exclude-libs,ALL")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--exclude-libs,ALL")
