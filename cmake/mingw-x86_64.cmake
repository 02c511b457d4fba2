# Cross build for 64-bit Windows. Only 64-bit Wine installs here: this build
# runs the Windows tests, through Wine.
set(VELQ_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Wine runs the tests; without a display they are skipped (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR /bin/sh ${CMAKE_CURRENT_LIST_DIR}/wine-test-runner.sh)
