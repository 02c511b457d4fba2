#!/bin/sh
# The cross builds' emulator: runs a Windows test program with Wine. Where it
# cannot run (no wine command, no X display for the windows, no 32-bit Wine
# for the i686 build) it says why and exits with 77, which the Windows test
# entries take as "skipped".
#   wine-test-runner.sh [--32] PROGRAM.exe [ARG]...
skip() { echo "SKIPPED: $*"; exit 77; }
if [ "${1:-}" = --32 ]; then
  shift
  # Debian's wine32 installs this loader; .ci/i386-wine run provides one in an i386 root.
  [ -n "${VELQ_WINE32:-}" ] || [ -x /usr/lib/wine/wine ] ||
    skip "no 32-bit Wine here (run under .ci/i386-wine run, as .ci/run does)"
fi
command -v wine >/dev/null 2>&1 || skip "no wine command (Debian package wine)"
case ${DISPLAY:-} in
  "") skip "no X display for Wine (DISPLAY is not set; .ci/run starts Xvfb)" ;;
  :*)
    display=${DISPLAY#:}
    [ -S "/tmp/.X11-unix/X${display%%.*}" ] || skip "no X server on DISPLAY=$DISPLAY" ;;
esac
exec wine "$@"
