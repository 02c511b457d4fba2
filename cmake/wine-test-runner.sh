#!/bin/sh
# The x86_64 build's emulator: runs a Windows test program with Wine. Where it
# cannot run (no wine command, no X display for the windows) it says why and
# exits with 77, which the Windows test entries take as "skipped".
#   wine-test-runner.sh PROGRAM.exe [ARG]...
skip() { echo "SKIPPED: $*"; exit 77; }
command -v wine >/dev/null 2>&1 || skip "no wine command (Debian package wine)"
case ${DISPLAY:-} in
  "") skip "no X display for Wine (DISPLAY is not set; .ci/run starts Xvfb)" ;;
  :*)
    display=${DISPLAY#:}
    [ -S "/tmp/.X11-unix/X${display%%.*}" ] || skip "no X server on DISPLAY=$DISPLAY" ;;
esac
exec wine "$@"
