# The MinGW-w64 cross build, for the processor the including file names in
# VELQ_MINGW_PROCESSOR. The -posix compilers give std::thread and std::mutex;
# the win32-thread ones do not.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VELQ_MINGW_PROCESSOR})
set(VELQ_MINGW_PREFIX ${VELQ_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER   ${VELQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELQ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Link the GCC runtime statically: the products import only Windows' own DLLs.
# No link time in the PE header, so that a release build gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--disable-stdcall-fixup -Wl,--no-insert-timestamp")
