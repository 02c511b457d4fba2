# Cross build with MinGW-w64 for Windows x86_64. The -posix compilers give
# std::thread and std::mutex; the win32-thread ones do not.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# Only 64-bit Wine installs here: this build runs the Windows tests.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(VELQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${VELQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELQ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Link the GCC runtime statically: the products import only Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--disable-stdcall-fixup")
