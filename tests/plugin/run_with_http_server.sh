#!/bin/sh
# Runs a test program with two local download sites started for it: a sound
# one, velqtp serve on a folder that holds the list of every catalogue
# position, and one that fails the positions given with --fail in the ways
# tests/support/http_test_server.py can (404, 500, reset, cut, stall).
#   run_with_http_server.sh --velqtp PATH [--fail POS=MODE]... -- COMMAND [ARG]...
# The program finds them in the environment: VELQ_TEST_SITE, its request log
# VELQ_TEST_SITE_LOG and its folder of lists VELQ_TEST_SITE_DIR, and
# VELQ_TEST_FAILING_SITE and VELQ_TEST_FAILING_SITE_LOG (base addresses, and
# Unix paths). VELQ_TP_SITE names the sound site, so the plug-in fetches from
# it unless told otherwise. Without velqtp (the native build) it exits with
# 77: skipped.
set -eu
server="$(cd "$(dirname "$0")/../support" && pwd)/http_test_server.py"
usage="usage: $0 --velqtp PATH [--fail POS=MODE]... -- COMMAND..."
velqtp=""
fails=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
  case $1 in
    --velqtp) velqtp=$2 ;;
    --fail) fails="$fails --fail $2" ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
  shift 2
done
[ $# -gt 0 ] && shift  # the --
[ $# -gt 0 ] || { echo "$usage" >&2; exit 2; }
if [ ! -x "$velqtp" ]; then
  echo "skipped: needs velqtp of the native build (not found: '$velqtp')" >&2
  exit 77
fi

work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The sound site: the test server's lists for all 56 positions, served by velqtp.
mkdir "$work/lists"
# shellcheck disable=SC2046 # one --pos per catalogue position
/usr/bin/python3 "$server" --write-lists "$work/lists" \
  $("$velqtp" catalogue | awk 'NR > 1 { printf "--pos %s ", $1 }')
mkfifo "$work/sound.out"
"$velqtp" serve "$work/lists" --port 0 >"$work/sound.out" 2>"$work/sound.log" &
pids="$pids $!"
read -r first <"$work/sound.out" || true
sound=$(printf '%s\n' "$first" | sed -n 's|.*\(http://[^ /]*\)/dl\.php.*|\1|p')
[ -n "$sound" ] || { echo "velqtp serve did not start: $first" >&2; exit 1; }

# Outlives no test: ctest gives a program 300 s.
# shellcheck disable=SC2086 # one word per option
/usr/bin/python3 "$server" --port-file "$work/failing.port" --log "$work/failing.log" \
  --max-seconds 300 $fails >/dev/null &
pids="$pids $!"
tries=0
until [ -f "$work/failing.port" ]; do
  tries=$((tries + 1))
  [ $tries -le 100 ] || { echo "the failing test site did not start" >&2; exit 1; }
  sleep 0.1
done

export VELQ_TEST_SITE="$sound"
export VELQ_TEST_SITE_LOG="$work/sound.log"
export VELQ_TEST_SITE_DIR="$work/lists"
export VELQ_TEST_FAILING_SITE="http://127.0.0.1:$(cat "$work/failing.port")"
export VELQ_TEST_FAILING_SITE_LOG="$work/failing.log"
export VELQ_TP_SITE="$VELQ_TEST_SITE"
touch "$VELQ_TEST_FAILING_SITE_LOG"

status=0
"$@" || status=$?
exit $status
