#!/usr/bin/env bash
# build.sh DIR [cmake options...]: installs what is missing, configures and builds into DIR.
# ZPH_JOBS limits the parallel compile jobs (default: every core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
bash "$root/scripts/install-deps.sh"
# The compiler cache's settings (relative paths, no hashing of the build folder, no absolute
# path in the objects) come with the build itself (CMakeLists.txt); CCACHE_DIR picks the cache.
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
jobs=${ZPH_JOBS:-$(nproc)}
cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
cmake --build "$root/$dir" -j "$jobs" ${ZPH_TARGETS:-}
