#!/usr/bin/env bash
# build.sh DIR [cmake options...]: installs what is missing, configures and builds into DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
bash "$root/scripts/install-deps.sh"
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/zephalon-ccache}
jobs=$(nproc)
cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
cmake --build "$root/$dir" -j "$jobs" ${ZPH_TARGETS:-}
