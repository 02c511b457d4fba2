# Cross build for 32-bit Windows: the shipped plug-in.
set(VELQ_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# 32-bit Wine runs the tests: here in an i386 root under qemu (.ci/i386-wine);
# without it, or without a display, they are skipped (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR /bin/sh ${CMAKE_CURRENT_LIST_DIR}/wine-test-runner.sh --32)
