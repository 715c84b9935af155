#!/usr/bin/env bash
# run.sh [trace file]: builds Zephalon and starts it, opening the trace when one is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ZPH_TARGETS="--target zephalon" bash "$root/scripts/build.sh" build
exec "$root/build/zephalon" "$@"
