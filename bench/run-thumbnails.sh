#!/usr/bin/env bash
# The sheet check window over a folder of large scans: time until every
# thumbnail is there, with an empty thumbnail cache and with a full one.
#
#   bench/run-thumbnails.sh [BUILD_DIR] [COUNT] [WIDTH] [HEIGHT]
#
# COUNT scans (default 500) of WIDTH x HEIGHT pixels (default 10000 x 7000, a
# noisy JPEG of about 36 MB) go to /dev/shm/quillmark-bench-thumbnails with
# their map files. The scans are hard links of one JPEG: every one is decoded
# on its own (the cache is keyed by path), but /dev/shm holds a single copy.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-bench}
count=${2:-500}
width=${3:-10000}
height=${4:-7000}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target quillmark-cli quillmark-bench-thumbnails >/dev/null
cli=$root/$build/cli/quillmark-cli
bench=$root/$build/bench/quillmark-bench-thumbnails

dir=/dev/shm/quillmark-bench-thumbnails
scans=$dir/scans
cache=$dir/cache
rm -rf "$dir"
mkdir -p "$scans" "$cache"
trap 'rm -rf "$dir"' EXIT

# One scan-like JPEG: paper with noise, a frame and some lines.
QT_QPA_PLATFORM=offscreen "$bench" --make-scan "$width" "$height" "$dir/one.jpg"
echo "scan: ${width}x${height}, $(du -m "$dir/one.jpg" | cut -f1) MB, $count of them"
python3 - "$scans" "$dir/one.jpg" "$count" <<'PY'
import os, sys
folder, one, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
rows = "ABCDEFGHIJKLMNOPQRSTUV"
n = 0
for r in rows:
    for c in range(1, 61):
        for l in range(1, 145):
            if n == count:
                sys.exit(0)
            os.link(one, os.path.join(folder, "%s-%02d-%03d.jpg" % (r, c, l)))
            n += 1
PY
"$cli" create "$scans" --scale 1:100K >/dev/null

export XDG_CACHE_HOME=$cache QT_QPA_PLATFORM=offscreen
echo "without cache:"; "$bench" "$scans"
echo "with cache:";    "$bench" "$scans"
