#!/usr/bin/env bash
# How many requests a second velqtp serve answers for /dl.php?pos=13.0E on
# loopback with 8 concurrent clients (wrk), beside Debian's nginx serving the
# same list as a static file (docs/nginx-velq-tp-site.conf, from velqtp
# serve --static) in the same run. velqtp logs every request to a file, as
# it would on a site.
#
# Usage: bench/velqtp_serve_bench.sh [BUILD_DIR] [SECONDS]   (default build/native, 10)
# Needs wrk and nginx (apt-get install wrk nginx).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/native}
seconds=${2:-10}
connections=8
threads=2

for tool in wrk nginx; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || { echo "needs $tool (apt-get install $tool)" >&2; exit 1; }
done
nginx=$(command -v nginx || echo /usr/sbin/nginx)
cmake --build "$build" --target velqtp >/dev/null
velqtp=$build/cli/velqtp

work=$(mktemp -d "${TMPDIR:-/tmp}/velqtp-serve-bench.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The list: Hotbird from Debian's scan tables when there, else the test suite's.
mkdir "$work/lists"
if [ -f /usr/share/dvb/dvb-s/Hotbird-13.0E ]; then
  "$velqtp" import /usr/share/dvb/dvb-s/Hotbird-13.0E --dir "$work/lists" >/dev/null
else
  cp tests/cli/expected/0130.ini "$work/lists/"
fi
echo "list: 0130.ini, $(stat -c %s "$work/lists/0130.ini") bytes"

"$velqtp" serve "$work/lists" --port 0 >"$work/velqtp.out" 2>"$work/velqtp.log" &
pids+=($!)
until grep -q "http://" "$work/velqtp.out" 2>/dev/null; do sleep 0.05; done
velqtp_url=$(sed -n 's|.*\(http://[^ /]*\)/dl\.php.*|\1|p' "$work/velqtp.out")

"$velqtp" serve "$work/lists" --static "$work/www" >/dev/null
nginx_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sed -e "s|listen 80;|listen 127.0.0.1:$nginx_port;|" -e "s|root /var/www/velq-tp;|root $work/www;|" \
  docs/nginx-velq-tp-site.conf >"$work/site.conf"
temp=""
for kind in client_body proxy fastcgi uwsgi scgi; do temp+="${kind}_temp_path $work/$kind; "; done
user=""
[ "$(id -u)" = 0 ] && user="user root;"
cat >"$work/nginx.conf" <<CONF
daemon off; worker_processes 1; pid $work/nginx.pid; error_log $work/error.log; $user
events { worker_connections 1024; }
http { access_log off; $temp include $work/site.conf; }
CONF
"$nginx" -p "$work" -e "$work/error.log" -c "$work/nginx.conf" &
pids+=($!)
nginx_url=http://127.0.0.1:$nginx_port
until curl -fs -o /dev/null "$nginx_url/dl.php?pos=13.0E"; do sleep 0.05; done

# Both answer the same bytes.
cmp <(curl -fs "$velqtp_url/dl.php?pos=13.0E") <(curl -fs "$nginx_url/dl.php?pos=13.0E")

rate() {  # rate URL: requests per second
  wrk -t "$threads" -c "$connections" -d "${seconds}s" "$1/dl.php?pos=13.0E" |
    awk '/Requests\/sec/ { print $2 } /Non-2xx/ { print "wrk: non-2xx answers" > "/dev/stderr"; exit 1 }'
}
echo "wrk: $threads threads, $connections connections, ${seconds} s each, on $(nproc) cores"
velqtp_rate=$(rate "$velqtp_url")
nginx_rate=$(rate "$nginx_url")
echo
printf 'velqtp serve           : %10.0f requests/s (%s log lines)\n' "$velqtp_rate" "$(wc -l <"$work/velqtp.log")"
printf 'nginx, static file     : %10.0f requests/s\n' "$nginx_rate"
awk -v v="$velqtp_rate" -v n="$nginx_rate" 'BEGIN { printf "ratio velqtp / nginx   : %10.2f\n", v / n }'
