#!/usr/bin/env bash
# build.sh DIR [cmake options...]: installs what is missing, configures and builds into DIR.
# ZPH_JOBS limits the parallel compile jobs (default: every core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
bash "$root/scripts/install-deps.sh"
# ccache hits from a clone in any folder: paths relative to the clone's root, the build folder
# not hashed, debug info that names no absolute path.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/zephalon-ccache}
export CCACHE_BASEDIR=$root
export CCACHE_NOHASHDIR=true
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
jobs=${ZPH_JOBS:-$(nproc)}
cmake -S "$root" -B "$root/$dir" -G Ninja \
  "-DCMAKE_CXX_FLAGS=-ffile-prefix-map=$root/=" "$@" >/dev/null
cmake --build "$root/$dir" -j "$jobs" ${ZPH_TARGETS:-}
