#!/usr/bin/env bash
# Peak memory of every command and window on image "bombs": small files whose
# headers claim huge images, or huge files that hold little. Each is measured
# with /usr/bin/time (maximum resident set size) on /dev/shm.
#
#   bench/run-bombs.sh [BUILD_DIR]
#
# The bombs: TIFFs of 30000 x 30000 (875 KB) and 20000 x 20000 (389 KB) white
# rows in one deflate strip; a PNG of 65836 x 15000 (about 960 KB, whose low
# 16 bits of width read 300) and a PNG header of 65836 x 65896; a sparse JPEG of
# 1000 MB (a real 2000 x 1400 scan, then nothing), and the same claiming
# 32000 x 32000. "window" is the sheet check window with its frame finder
# (quillmark-bench-thumbnails --verdicts), offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
cli=$root/$build/cli/quillmark-cli
window=$root/$build/bench/quillmark-bench-thumbnails
dir=/dev/shm/quillmark-bench-bombs
rm -rf "$dir"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CACHE_HOME=$dir/cache

QT_QPA_PLATFORM=offscreen "$window" --make-scan 2000 1400 "$dir/small.jpg" 2>/dev/null
python3 - "$dir" <<'PY'
import os, struct, sys, zlib
out = sys.argv[1]

def rows(width, height, row):
    c = zlib.compressobj(9)
    parts = [c.compress(row) for _ in range(height)]
    parts.append(c.flush())
    return b"".join(parts)

def tiff(path, width, height):
    data = rows(width, height, b"\xff" * width)
    tags = [(256, 4, width), (257, 4, height), (258, 3, 8), (259, 3, 8), (262, 3, 1), (273, 4, 8),
            (277, 3, 1), (278, 4, height), (279, 4, len(data))]
    ifd = struct.pack("<H", len(tags)) + b"".join(
        struct.pack("<HHIHH", t, k, 1, v, 0) if k == 3 else struct.pack("<HHII", t, k, 1, v) for t, k, v in tags)
    open(path, "wb").write(b"II*\0" + struct.pack("<I", 8 + len(data)) + data + ifd + b"\0\0\0\0")

def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

def png(path, width, height, data=True):
    ihdr = chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
    idat = chunk(b"IDAT", rows(width, height, b"\0" * (width + 1))) if data else b""
    open(path, "wb").write(b"\x89PNG\r\n\x1a\n" + ihdr + idat + chunk(b"IEND", b""))

def sparse_jpeg(path, size, side=None):
    data = bytearray(open(os.path.join(out, "small.jpg"), "rb").read())
    data = data[:-2] if data.endswith(b"\xff\xd9") else data
    if side:
        at = data.find(b"\xff\xc0")
        data[at + 5:at + 9] = struct.pack(">HH", side, side)
    with open(path, "wb") as f:
        f.write(data)
        f.truncate(size)

for name, make in [("tiff-30000", lambda p: tiff(p + "/N-37-001.tif", 30000, 30000)),
                   ("tiff-20000", lambda p: tiff(p + "/N-37-001.tif", 20000, 20000)),
                   ("png-65836x15000", lambda p: png(p + "/N-37-001.png", 65836, 15000)),
                   ("png-header-65836x65896", lambda p: png(p + "/N-37-001.png", 65836, 65896, False)),
                   ("jpeg-sparse-1000MB", lambda p: sparse_jpeg(p + "/N-37-001.jpg", 1000 << 20)),
                   ("jpeg-sparse-1000MB-32000", lambda p: sparse_jpeg(p + "/N-37-001.jpg", 1000 << 20, 32000))]:
    os.makedirs(os.path.join(out, name))
    make(os.path.join(out, name))
PY

peak() { # command...: "exit code, peak MB"
  local rc=0
  /usr/bin/time -f "%M" -o "$dir/time" "$@" >/dev/null 2>&1 || rc=$?
  echo "$rc $(( $(tail -1 "$dir/time") / 1024 ))"
}

printf "%-26s %-22s %5s %8s\n" bomb command exit "peak MB"
for bomb in tiff-30000 tiff-20000 png-65836x15000 png-header-65836x65896 jpeg-sparse-1000MB jpeg-sparse-1000MB-32000; do
  folder=$dir/$bomb
  image=$(ls "$folder"/N-37-001.*)
  printf "%-26s %-22s %5s %8s\n" "$bomb" "$(du -k --apparent-size "$image" | cut -f1) KB" "" ""
  read -r rc mb < <(peak "$cli" info "$image");                                  printf "%-26s %-22s %5s %8s\n" "" info "$rc" "$mb"
  read -r rc mb < <(peak "$cli" frame "$image");                                 printf "%-26s %-22s %5s %8s\n" "" frame "$rc" "$mb"
  read -r rc mb < <(peak "$cli" create "$folder" --scale 1:100K --mask R-CC-LLL --find-frame);   printf "%-26s %-22s %5s %8s\n" "" "create --find-frame" "$rc" "$mb"
  if [ ! -f "$folder/N-37-001.map" ]; then
    # No map for an image too large for one: a map of another sheet, pointed at it.
    mkdir -p "$dir/other"
    cp "$dir/small.jpg" "$dir/other/N-37-001.jpg"
    "$cli" create "$dir/other" --scale 1:100K --mask R-CC-LLL >/dev/null
    sed "s/N-37-001\.jpg/$(basename "$image")/" "$dir/other/N-37-001.map" > "$folder/N-37-001.map"
    rm -rf "$dir/other"
  fi
  read -r rc mb < <(peak "$cli" check "$folder");                                printf "%-26s %-22s %5s %8s\n" "" check "$rc" "$mb"
  read -r rc mb < <(peak "$window" --verdicts "$folder");                        printf "%-26s %-22s %5s %8s\n" "" window "$rc" "$mb"
  rm -rf "$dir/cache"
done
