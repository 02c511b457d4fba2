#!/bin/sh
# run_with_velqtp_lists.sh VELQTP COMMAND [ARG]...: runs the test program with
# velqtp's lists of the real recordings in ../shared/real-captures beside the
# repository: one folder per recording, named like it, holding what `velqtp
# scan` wrote (nothing where it found no list). The program finds them, as
# Wine sees them, in VELQ_TEST_CAPTURES and VELQ_TEST_CAPTURE_LISTS. Without
# velqtp or the recordings it runs without them.
set -eu
velqtp=$1
shift
captures="$(dirname "$0")/../../../shared/real-captures"
if [ ! -x "$velqtp" ] || [ ! -d "$captures" ]; then
  echo "note: no real recordings searched (needs '$velqtp' and '$captures')" >&2
  exec "$@"
fi
captures=$(cd "$captures" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ts in "$captures"/*.ts; do
  mkdir "$work/${ts##*/}"
  "$velqtp" scan "$ts" --dir "$work/${ts##*/}" >/dev/null 2>&1 || true
done
VELQ_TEST_CAPTURES="Z:$captures" VELQ_TEST_CAPTURE_LISTS="Z:$work" "$@"
