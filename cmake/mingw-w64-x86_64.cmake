# Cross-compiles for 64-bit Windows with the MinGW-w64 posix-thread toolchain.
# Test executables run under Wine through tools/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LUMADIR_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMADIR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMADIR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMADIR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUMADIR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything links statically, so the only DLLs a program needs are Windows' own
# and vx_regex.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
