#!/usr/bin/env bash
# How fast velqtp scans a large recording, beside the time it takes merely
# to read the same file (cat FILE > /dev/null), in the same run. Makes a
# stream of a few hundred MB on the fly with the NIT near its end, packed
# with stuffing sections as many transponders send it, so that velqtp has to
# go through nearly all of it.
#
# Usage: bench/velqtp_scan_bench.sh [BUILD_DIR] [MB]   (default build/native, 500)
# Uses hyperfine when it is installed (apt-get install hyperfine), else a
# best-of-N loop with date.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
megabytes=${2:-500}
runs=20

cmake --build "$build" --target velqtp make_sample_ts >/dev/null
velqtp=$build/cli/velqtp
make_sample_ts=$build/tools/make_sample_ts/make_sample_ts

work=$(mktemp -d "${TMPDIR:-/tmp}/velqtp-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
stream=$work/large.ts
# A real transponder list when Debian's dtv-scan-tables is there, else a few made-up channels.
channels=/usr/share/dvb/dvb-s/Hotbird-13.0E
if [ ! -f "$channels" ]; then
  channels=$work/Test-13.0E
  for mhz in 10719 10758 10796 10834 10873 10911 10949 10992 11034 11075; do
    printf '[CHANNEL]\nDELIVERY_SYSTEM = DVBS\nFREQUENCY = %d000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n\n' "$mhz"
  done >"$channels"
fi
"$make_sample_ts" "$channels" "$stream" --position 13.0E --lead-in-mb "$megabytes" --packed --stuffing 276 \
  >/dev/null
size=$(stat -c %s "$stream")
echo "stream: $((size / 1000000)) MB, the NIT in its last $(( ($(stat -c %s "$stream") - megabytes * 1000000) / 1000 )) kB"

# Both read the file from the page cache, as the second of any two runs would.
cat "$stream" >/dev/null
"$velqtp" scan "$stream" --dry-run >/dev/null

# velqtp --version is the cost of starting velqtp at all (libcurl and its
# libraries load with it), the part of a scan that no file size changes.
if command -v hyperfine >/dev/null; then
  json=$work/times.json
  hyperfine -N --style basic --warmup 3 --runs "$runs" --output null --export-json "$json" \
    -n cat "cat $stream" -n "velqtp scan" "$velqtp scan $stream --dry-run" -n "velqtp --version" "$velqtp --version"
  read -r cat_s scan_s start_s < <(python3 -c 'import json, sys
r = json.load(open(sys.argv[1]))["results"]
print(r[0]["mean"], r[1]["mean"], r[2]["mean"])' "$json")
else
  best() {  # best wall time in seconds of `runs` runs of the command, output discarded
    local best_ns=
    for _ in $(seq "$runs"); do
      local start=$(date +%s%N)
      "$@" >/dev/null
      local ns=$(( $(date +%s%N) - start ))
      if [ -z "$best_ns" ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
    done
    awk -v ns="$best_ns" 'BEGIN { printf "%.4f", ns / 1e9 }'
  }
  cat_s=$(best cat "$stream")
  scan_s=$(best "$velqtp" scan "$stream" --dry-run)
  start_s=$(best "$velqtp" --version)
fi

echo
awk -v c="$cat_s" -v s="$scan_s" -v v="$start_s" -v bytes="$size" 'BEGIN {
  printf "cat FILE > /dev/null     : %7.1f ms  %6.0f MB/s\n", c * 1000, bytes / c / 1e6
  printf "velqtp scan FILE         : %7.1f ms  %6.0f MB/s\n", s * 1000, bytes / s / 1e6
  printf "velqtp start-up          : %7.1f ms\n", v * 1000
  printf "ratio velqtp scan / cat  : %7.2f\n", s / c
  printf "  without the start-up   : %7.2f\n", (s - v) / c
}'
