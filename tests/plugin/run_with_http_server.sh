#!/bin/sh
# Runs a test program with two local download sites started for it: a sound
# one and one that fails the positions given with --fail (see
# tests/support/http_test_server.py).
#   run_with_http_server.sh [--fail POS=MODE]... -- COMMAND [ARG]...
# The program finds them in the environment: VELQ_TEST_SITE and
# VELQ_TEST_SITE_LOG, VELQ_TEST_FAILING_SITE and VELQ_TEST_FAILING_SITE_LOG
# (base addresses, and request logs as Unix paths). VELQ_TP_SITE names the
# sound site, so the plug-in fetches from it unless told otherwise.
set -eu
server="$(cd "$(dirname "$0")/../support" && pwd)/http_test_server.py"
fails=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  [ "$1" = "--fail" ] && [ $# -ge 2 ] || { echo "usage: $0 [--fail POS=MODE]... -- COMMAND..." >&2; exit 2; }
  fails="$fails --fail $2"
  shift 2
done
[ $# -gt 0 ] && shift  # the --
[ $# -gt 0 ] || { echo "usage: $0 [--fail POS=MODE]... -- COMMAND..." >&2; exit 2; }

work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

start_site() {  # NAME [--fail POS=MODE]...
  name=$1
  shift
  # Outlives no test: ctest gives a program 300 s.
  /usr/bin/python3 "$server" --port-file "$work/$name.port" --log "$work/$name.log" \
    --max-seconds 300 "$@" >/dev/null &
  pids="$pids $!"
}
start_site sound
# shellcheck disable=SC2086 # one word per option
start_site failing $fails
for name in sound failing; do
  tries=0
  until [ -f "$work/$name.port" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || { echo "the $name test site did not start" >&2; exit 1; }
    sleep 0.1
  done
done

export VELQ_TEST_SITE="http://127.0.0.1:$(cat "$work/sound.port")"
export VELQ_TEST_SITE_LOG="$work/sound.log"
export VELQ_TEST_FAILING_SITE="http://127.0.0.1:$(cat "$work/failing.port")"
export VELQ_TEST_FAILING_SITE_LOG="$work/failing.log"
export VELQ_TP_SITE="$VELQ_TEST_SITE"
touch "$VELQ_TEST_SITE_LOG" "$VELQ_TEST_FAILING_SITE_LOG"

status=0
"$@" || status=$?
exit $status
