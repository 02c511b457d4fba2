#!/bin/sh
# run_with_http_server.sh VELQTP COMMAND [ARG]...: runs the test program with
# two local download sites: velqtp serve on a folder with the test server's
# list of every catalogue position, and tests/support/http_test_server.py
# failing 39.0E (404) and 63.0W (body cut short) and sending 4.8E without a
# length. A third, the test server again, sends the lists of a folder of its
# own, lets caches keep them for a day and logs request headers; Debian's nginx
# stands in front of it as a caching proxy (tests/support/nginx_cache_proxy.py).
# It finds them, their request logs and the folders (as Wine sees them) in the
# VELQ_TEST_* variables below. Without VELQTP: 77, skipped.
set -eu
server="$(dirname "$0")/../support/http_test_server.py"
velqtp=$1
shift
[ -x "$velqtp" ] || { echo "skipped: needs velqtp of the native build ('$velqtp')" >&2; exit 77; }
work=$(mktemp -d)
pids=""
# shellcheck disable=SC2086 # one word per process
trap 'kill $pids 2>/dev/null || true; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM

mkdir "$work/lists"
# shellcheck disable=SC2046 # one --pos per catalogue position
/usr/bin/python3 "$server" --write-lists "$work/lists" $("$velqtp" catalogue | awk 'NR > 1 { printf "--pos %s ", $1 }')
mkfifo "$work/sound.out"
"$velqtp" serve "$work/lists" --port 0 >"$work/sound.out" 2>"$work/sound.log" &
pids="$pids $!"
read -r first <"$work/sound.out" || true
sound=$(printf '%s\n' "$first" | sed -n 's|.*\(http://[^ /]*\)/dl\.php.*|\1|p')
[ -n "$sound" ] || { echo "velqtp serve did not start: $first" >&2; exit 1; }

# It outlives no test: ctest gives a program 300 s.
/usr/bin/python3 "$server" --port-file "$work/failing.port" --log "$work/failing.log" --max-seconds 300 \
  --fail 39.0E=404 --fail 63.0W=cut --fail 4.8E=nolength &
pids="$pids $!"
timeout 10 sh -c "until [ -f '$work/failing.port' ]; do sleep 0.1; done" ||
  { echo "the failing test site did not start" >&2; exit 1; }
touch "$work/failing.log"
port=$(cat "$work/failing.port")

mkdir "$work/cacheable"
/usr/bin/python3 "$server" --port-file "$work/cacheable.port" --log "$work/cacheable.log" --max-seconds 300 \
  --lists "$work/cacheable" --cacheable --log-headers &
pids="$pids $!"
timeout 10 sh -c "until [ -f '$work/cacheable.port' ]; do sleep 0.1; done" ||
  { echo "the cacheable test site did not start" >&2; exit 1; }
cacheable="127.0.0.1:$(cat "$work/cacheable.port")"
/usr/bin/python3 "$(dirname "$0")/../support/nginx_cache_proxy.py" --upstream "$cacheable" \
  --folder "$work/proxy" --port-file "$work/proxy.port" >/dev/null &
pids="$pids $!"
timeout 30 sh -c "until [ -f '$work/proxy.port' ]; do sleep 0.1; done" ||
  { echo "the caching proxy (nginx, Debian package nginx) did not start" >&2; exit 1; }
touch "$work/cacheable.log"
proxy="http://127.0.0.1:$(cat "$work/proxy.port")"

export VELQ_TEST_CACHEABLE_SITE="http://$cacheable" VELQ_TEST_CACHEABLE_SITE_DIR="Z:$work/cacheable"
export VELQ_TEST_CACHEABLE_SITE_LOG="Z:$work/cacheable.log" VELQ_TEST_PROXY="$proxy"
export VELQ_TEST_SITE="$sound" VELQ_TEST_SITE_LOG="Z:$work/sound.log" VELQ_TEST_SITE_DIR="Z:$work/lists"
export VELQ_TEST_FAILING_SITE="http://127.0.0.1:$port" VELQ_TEST_FAILING_SITE_LOG="Z:$work/failing.log"
"$@"
