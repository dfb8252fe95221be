#!/usr/bin/env bash
# Map creator throughput: `quillmark-cli create` against a floor program that
# does the same file I/O and nothing else (bench/floor.cpp), on folders of
# 10,000 and 100,000 tiny sheet images (valid headers only), warm cache.
#
#   bench/run-create.sh [BUILD_DIR] [SIZES...]
#
# BUILD_DIR (default build-bench) is configured as a release build when it does
# not exist yet; SIZES default to "10000 100000". The folders go to a memory
# file system (/dev/shm/quillmark-bench, or $QUILLMARK_BENCH_DIR), where the
# disk's noise is gone and what is left is each program's own cost; the
# 100,000 case takes about 700 MB there while it runs. Floor and creator run
# interleaved, five times each; the best of each is reported, and their ratio.
set -euo pipefail
# The Python below takes the image headers from bench/imageheaders.py.
export QUILLMARK_BENCH_SCRIPTS="$(cd "$(dirname "$0")" && pwd)"
cd "$(dirname "$0")/.."
root=$PWD

build=${1:-build-bench}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000)

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target quillmark-cli quillmark-bench-floor >/dev/null
cli=$root/$build/cli/quillmark-cli
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package 'time')"; exit 2; }
floor=$root/$build/bench/quillmark-bench-floor

# Sheet names over all rows A..V, columns 1..60 and lists 1..144, with the
# 1:50K and 1:25K forms (Latin letters) mixed in; headers of all four formats.
make_folder() { # dir count
  python3 - "$1" "$2" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder, exist_ok=True)
rows = "ABCDEFGHIJKLMNOPQRSTUV"
sys.path.insert(0, os.environ["QUILLMARK_BENCH_SCRIPTS"])
from imageheaders import kinds
n = 0
i = 0
while n < count:
    row = rows[i % 22]; col = 1 + (i // 22) % 60; lst = 1 + (i // 1320) % 144
    name = f"{row}-{col:02d}-{lst:03d}"
    form = (i // 190080) % 3
    if form == 1: name += "-" + "ABVG"[i % 4]
    elif form == 2: name += "-" + "ABVG"[i % 4] + "-" + "abvg"[(i // 4) % 4]
    ext, make = kinds[i % 4]
    with open(os.path.join(folder, f"{name}.{ext}"), "wb") as f:
        f.write(make(2000 + i % 3000, 2000 + (i * 7) % 3000))
    n += 1; i += 1
PY
}

measure() { # command... -> "seconds peak-MB"
  # Wall time to the microsecond (GNU time's own is in hundredths, too coarse
  # for runs of a few tenths of a second); GNU time gives the peak memory.
  python3 - "$@" <<'PY'
import subprocess, sys, time
t = time.perf_counter()
run = subprocess.run(["/usr/bin/time", "-f", "%M"] + sys.argv[1:], stdout=subprocess.DEVNULL,
                     stderr=subprocess.PIPE, text=True)
elapsed = time.perf_counter() - t
print(f"{elapsed:.4f} {int(run.stderr.split()[-1]) / 1024:.1f}")
PY
}
# Moves the maps of a folder out of the way (into the bench folder's trash, removed
# at the end). Deleting them instead would distort the next run: ext4 searches
# past recently deleted inodes when it creates files, for up to minutes.
work=${QUILLMARK_BENCH_DIR:-/dev/shm/quillmark-bench}
[ -d "$(dirname "$work")" ] || work=$root/scratch/bench
trash=$work/trash
fresh() { # dir
  local t=$trash/$RANDOM$RANDOM
  mkdir -p "$t"
  find "$1" -maxdepth 1 -name '*.map' -exec mv -t "$t" {} +
  sync
  find "$1" -maxdepth 1 -type f -exec cat {} + >/dev/null # warm the cache
}

# Floor and creator interleaved, five runs each, every run on a folder
# without maps; prints "floor-seconds floor-MB create-seconds create-MB",
# the best (shortest) run of each.
interleaved() {
  local f=() c=() i
  for i in 1 2 3 4 5; do
    fresh "$dir"
    f+=("$(measure "$floor" "$dir")")
    fresh "$dir"
    c+=("$(measure "$cli" create "$dir" --scale 1:100K --mask R-CC-LLL --points 5 --grid m)")
  done
  echo "$(printf "%s\n" "${f[@]}" | sort -n | head -1) $(printf "%s\n" "${c[@]}" | sort -n | head -1)"
}

div() { awk "BEGIN { print ($1) / ($2) }"; }

printf "%-9s %-22s %10s %12s %10s\n" files case seconds files/s "peak MB"
for n in "${sizes[@]}"; do
  dir=$work/$n
  if [ "$(find "$dir" -maxdepth 1 -type f ! -name '*.map' 2>/dev/null | wc -l)" -ne "$n" ]; then
    rm -rf "$dir"
    make_folder "$dir" "$n"
  fi
  # New map files: floor and creator interleaved, best of five each.
  read -r fs fm cs cm < <(interleaved)
  printf "%-9s %-22s %10s %12.0f %10s\n" "$n" "floor, new maps" "$fs" "$(div "$n" "$fs")" "$fm"
  printf "%-9s %-22s %10s %12.0f %10s\n" "$n" "create, new maps" "$cs" "$(div "$n" "$cs")" "$cm"
  printf "%-9s %-22s %10.0f %%\n" "$n" "create / floor" "$(div "100 * $fs" "$cs")"

  # Re-calibrating existing maps (each replaced file is flushed to disk).
  if [ "$n" -le 10000 ]; then
    read -r fs2 fm2 < <(measure "$floor" "$dir")
    # The floor overwrote the maps with filler: give the creator real ones again.
    fresh "$dir"
    "$cli" create "$dir" --scale 1:100K --mask R-CC-LLL --points 5 --grid m >/dev/null
    read -r cs2 cm2 < <(measure "$cli" create "$dir" --scale 1:100K --mask R-CC-LLL --points 5 --grid m)
    printf "%-9s %-22s %10s %12.0f %10s\n" "$n" "floor, replacing" "$fs2" "$(div "$n" "$fs2")" "$fm2"
    printf "%-9s %-22s %10s %12.0f %10s\n" "$n" "create, replacing" "$cs2" "$(div "$n" "$cs2")" "$cm2"
    printf "%-9s %-22s %10.0f %%\n" "$n" "create / floor" "$(div "100 * $fs2" "$cs2")"
  fi
  fresh "$dir"
done
rm -rf "$trash"
echo "(folders in $work; remove them with: rm -rf $work)"
