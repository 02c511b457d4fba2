#!/usr/bin/env bash
# How fast velqtp scans a large recording, beside the time it takes merely
# to read the same file (cat FILE > /dev/null), in the same run. Makes a
# stream of a few hundred MB on the fly with the NIT near its end, packed
# with stuffing sections as many transponders send it, so that velqtp has to
# go through nearly all of it.
#
# Usage: bench/velqtp_scan_bench.sh [BUILD_DIR] [MB] [RUNS]   (default build/native, 500, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
megabytes=${2:-500}
runs=${3:-20}

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

# Paired runs: cat and velqtp in turn (which goes first alternates), so that
# a machine that gets busier or quieter during the run shifts both; the
# ratio is the median of the pairs' ratios. Wall time, and CPU time (user +
# system, from the kernel's account of each finished process), which other
# programs on a busy machine disturb less. velqtp --version is the cost of
# starting velqtp at all, the part of a scan that no file size changes.
python3 - "$runs" "$size" "$stream" "$velqtp" <<'PY'
import os, statistics, subprocess, sys, time

runs, size, stream, velqtp = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
commands = {"cat": ["cat", stream], "scan": [velqtp, "scan", stream, "--dry-run"], "start": [velqtp, "--version"]}

def run(argv):
    """Wall and CPU seconds of one run, its output thrown away."""
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(argv, stdout=null)
        _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(argv)} failed")
    return wall, usage.ru_utime + usage.ru_stime

times = {name: [] for name in commands}
for i in range(3 + runs):  # three warm-up rounds first
    order = ["cat", "scan", "start"] if i % 2 == 0 else ["start", "scan", "cat"]
    results = {name: run(commands[name]) for name in order}
    if i >= 3:
        for name in commands:
            times[name].append(results[name])

def median(name, k):
    return statistics.median(t[k] for t in times[name])

def pair_ratio(k, minus_start=False):
    return statistics.median(
        (s[k] - (v[k] if minus_start else 0)) / c[k] for c, s, v in zip(times["cat"], times["scan"], times["start"]))

print(f"{runs} paired runs, medians        wall        cpu")
for label, name in (("cat FILE > /dev/null", "cat"), ("velqtp scan FILE", "scan"), ("velqtp start-up", "start")):
    print(f"{label:27}: {median(name, 0) * 1000:7.1f} ms {median(name, 1) * 1000:7.1f} ms")
print(f"{'velqtp scan speed':27}: {size / median('scan', 0) / 1e6:7.0f} MB/s")
print(f"{'ratio velqtp scan / cat':27}: {pair_ratio(0):7.2f}    {pair_ratio(1):7.2f}")
print(f"{'  without the start-up':27}: {pair_ratio(0, True):7.2f}    {pair_ratio(1, True):7.2f}")
PY
