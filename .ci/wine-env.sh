# Sourced: a private Wine prefix and an X display for the Windows tests.
# velq_wine_start PREFIX   makes the prefix if needed, starts Xvfb and a
#                          persistent wineserver, and warms Wine up.
# velq_wine_stop           stops both.

velq_wine_start() {
  local tool
  for tool in Xvfb:xvfb wine:wine wineboot:wine wineserver:wine; do
    command -v "${tool%:*}" >/dev/null && continue
    echo "velq_wine_start: missing ${tool%:*} (Debian package ${tool#*:}; bash .ci/install-deps installs it)" >&2
    return 1
  done
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  # Xvfb on the first free display from :90 up. Free means no lock file and
  # no socket, including the abstract one, which a chroot shares with the
  # machine; a display taken in between costs a try.
  local n=89 xlog tries=0
  xlog=$(mktemp)
  while :; do
    n=$((n + 1))
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null && continue
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >"$xlog" 2>&1 &
    VELQ_XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e /tmp/.X11-unix/X$n ] && break
      kill -0 "$VELQ_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    [ -e /tmp/.X11-unix/X$n ] && break
    kill "$VELQ_XVFB_PID" 2>/dev/null || true
    tries=$((tries + 1))
    if [ $tries -ge 5 ]; then
      cat "$xlog" >&2; rm -f "$xlog"
      echo "velq_wine_start: Xvfb did not start (last try on :$n)" >&2
      return 1
    fi
  done
  rm -f "$xlog"
  export DISPLAY=:$n
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$WINEPREFIX.log" 2>&1 ||
      { cat "$WINEPREFIX.log" >&2; echo "velq_wine_start: wineboot -i failed" >&2; return 1; }
    # Without a window manager every show and hide waits ~2 s for one;
    # unmanaged windows make the GUI tests ten times faster.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  fi
  # A persistent wineserver, warmed up before the tests start: without this
  # every test program waited for the server until its timeout. The one that
  # made a new prefix lingers for a few seconds; wait for it to end first.
  wineserver -w
  wineserver -p || true
  wine wineboot >/dev/null 2>&1 || true
}

velq_wine_stop() {
  wineserver -k 2>/dev/null || true
  [ -n "${VELQ_XVFB_PID:-}" ] && kill "$VELQ_XVFB_PID" 2>/dev/null || true
}
