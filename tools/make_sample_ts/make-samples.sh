#!/usr/bin/env bash
# Makes the captures in samples/ again from Debian's dtv-scan-tables
# (apt-get install dtv-scan-tables). The tool gives the same bytes for the
# same arguments, so an unchanged tool leaves the samples unchanged.
# Usage: tools/make_sample_ts/make-samples.sh [BUILD_DIR]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/native}
tables=/usr/share/dvb/dvb-s
tool=$build/tools/make_sample_ts/make_sample_ts
[ -d "$tables" ] || { echo "no $tables: apt-get install dtv-scan-tables" >&2; exit 1; }
cmake --build "$build" --target make_sample_ts >/dev/null

# Six sections, the table three times, other PIDs between its packets.
"$tool" "$tables/Hotbird-13.0E" samples/hotbird-13.0E.ts \
  --network-name "Velq sample network 13.0E"
# Starts inside section 0: only the second table is whole. DVB-S2, FEC left
# AUTO in the source list, and Ka-band channels beyond what the NIT entries take.
"$tool" "$tables/Astra-1L-19.2E" samples/astra-19.2E-mid-section.ts \
  --network-name "Velq sample network 19.2E" --per-section 12 --start-mid-section
# A west position: its list file is 3530.ini.
"$tool" "$tables/Nilesat101+102-7.0W" samples/nilesat-7.0W.ts \
  --network-name "Velq sample network 7.0W" --per-section 8 --repeat 2
# Sections packed back to back, a stuffing section (table 0x72) before each:
# sections start mid-payload behind a pointer_field, several share a payload.
"$tool" "$tables/Astra-28.2E" samples/astra-28.2E-packed.ts \
  --network-name "Velq sample network 28.2E" --per-section 10 --packed --stuffing 276
