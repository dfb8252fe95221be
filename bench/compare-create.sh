#!/usr/bin/env bash
# Byte check of the map creator against another build of it: both write the
# maps of the same folders with the same options, new and then re-calibrated,
# and every map file, every message and every exit code must be the same.
#
#   bench/compare-create.sh OLD_CLI NEW_CLI [COUNT]
#
# The folders (COUNT images each, default 2000, on /dev/shm or
# $QUILLMARK_BENCH_DIR) hold sheet names of every scale from 1:1M to 1:10K,
# both masks, southern sheets and Cyrillic letters, headers of all four
# formats the header reader knows, images of the constant size (TIFF without
# a header, OZF), names that fail a check and files that are no sheets.
set -euo pipefail
# The Python below takes the image headers from bench/imageheaders.py.
export QUILLMARK_BENCH_SCRIPTS="$(cd "$(dirname "$0")" && pwd)"
[ $# -ge 2 ] || { echo "usage: $0 OLD_CLI NEW_CLI [COUNT]"; exit 2; }
old=$(realpath "$1")
new=$(realpath "$2")
count=${3:-2000}
work=${QUILLMARK_BENCH_DIR:-/dev/shm/quillmark-bench}/compare
rm -rf "$work"
mkdir -p "$work"

python3 - "$work/in" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
rows = "ABCDEFGHIJKLMNOPQRSTUV"
sys.path.insert(0, os.environ["QUILLMARK_BENCH_SCRIPTS"])
from imageheaders import bmp, gif, jpeg, kinds, png
latin, cyrillic = "ABVG", "АБВГ"
def name(scale, i, sep):
    row = rows[i % 22]; col = 1 + (i // 22) % 60
    head = f"{row}{'-' if sep else ''}{col:02d}"
    if i % 17 == 0:
        head = "s" + head
    letters = cyrillic if i % 3 == 0 else latin
    small = letters.lower() if i % 2 else "abvg"
    if scale == "1M":
        return head
    if scale == "500K":
        return f"{head}-{letters[i % 4]}"
    if scale == "200K":
        return f"{head}-{1 + (i // 1320) % 36:02d}"
    lst = f"{head}-{1 + (i // 1320) % 144:03d}"
    if scale == "100K":
        return lst
    if scale == "50K":
        return f"{lst}-{letters[i % 4]}"
    if scale == "25K":
        return f"{lst}-{letters[i % 4]}-{small[(i // 4) % 4]}"
    return f"{lst}-{letters[i % 4]}-{small[(i // 4) % 4]}-{1 + (i // 16) % 4}"
for scale in ["1M", "500K", "200K", "100K", "50K", "25K", "10K"]:
    for sep in [True, False]:
        folder = os.path.join(root, f"{scale}-{'sep' if sep else 'nosep'}")
        os.makedirs(folder)
        n = count if scale == "100K" and sep else max(count // 8, 50)
        seen = set()
        for i in range(n):
            base = name(scale, i, sep)
            if base in seen:
                continue
            seen.add(base)
            ext, make = kinds[i % 4]
            with open(os.path.join(folder, f"{base}.{ext}"), "wb") as f:
                f.write(make(1 + (i * 37) % 32767, 1 + (i * 101) % 32767) if i % 5 == 0 else
                        make(2000 + i % 3000, 2000 + (i * 7) % 3000))
        # The odd ones: no size in the header, an empty image, another format,
        # a bad row, column and list, a sheet of another scale, files that are no sheets.
        extra = {"N-37-001.jpg" if sep else "N37-001.jpg": jpeg(0, 0), "O-37-002.png": b"",
                 "P-38-003.tif": b"II*\0", "P-38-004.ozf": b"x", "X-37-005.jpg": jpeg(100, 100),
                 "N-61-006.gif": gif(50, 60), "N-37-145.bmp": bmp(70, 80), "N-37-007.jpeg": jpeg(1, 1),
                 "readme.txt": b"hello", "N-37-008-Д.jpg": jpeg(300, 400), "N-37.png": png(500, 600)}
        for fname, data in extra.items():
            with open(os.path.join(folder, fname), "wb") as f:
                f.write(data)
PY

# Option sets: scale and mask from the folder's name, then these.
options=("--points 5 --grid m"
         "--points 9 --grid ll --margins 10,2,7"
         "--points 4 --grid off"
         "--points auto --grid auto --encoding utf-8")
scaleOf() { case $1 in 1M-*) echo 1:1M;; 500K-*) echo 1:500K;; 200K-*) echo 1:200K;; 100K-*) echo 1:100K;;
                        50K-*) echo 1:50K;; 25K-*) echo 1:25K;; 10K-*) echo 1:10K;; esac; }
maskOf() { case $1 in *-sep) echo R-CC-LLL;; *) echo RCC-LLL;; esac; }

failed=0
checked=0
for folder in "$work"/in/*; do
  f=$(basename "$folder")
  for o in "${!options[@]}"; do
    for side in old new; do
      cli=$old; [ $side = new ] && cli=$new
      # New maps, then the same maps re-calibrated; messages name the
      # output folder as OUT, so that both sides read alike.
      run() { # out log
        mkdir -p "$1"
        # shellcheck disable=SC2086
        { "$cli" create "$folder" --out "$1" --scale "$(scaleOf "$f")" --mask "$(maskOf "$f")" ${options[$o]}; echo "exit $?"; } 2>&1 \
          | sed "s#$work/$side#OUT#g" >"$2" || true
      }
      run "$work/$side/$f-$o-new" "$work/$side/$f-$o-new.txt"
      cp -r "$work/$side/$f-$o-new" "$work/$side/$f-$o-again"
      run "$work/$side/$f-$o-again" "$work/$side/$f-$o-again.txt"
    done
    checked=$((checked + $(find "$work/new/$f-$o-new" "$work/new/$f-$o-again" -name '*.map' | wc -l)))
  done
done
if diff -r "$work/old" "$work/new" >"$work/diff.txt"; then
  echo "same: $checked map files (and all messages) in $(find "$work/in" -mindepth 1 -maxdepth 1 | wc -l) folders, ${#options[@]} option sets, new and re-calibrated"
else
  failed=1
  echo "DIFFERENT: see $work/diff.txt"
  head -40 "$work/diff.txt"
fi
exit $failed
