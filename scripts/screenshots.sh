#!/usr/bin/env bash
# Pictures of every window of the desktop program for the documentation:
# runs it under a virtual X server with its hidden --screenshots option, once in
# English and once in Russian.
#   scripts/screenshots.sh [output folder]      (default docs/screenshots)
# The English pictures go into the folder, the Russian ones into its ru/.
# BUILD_DIR names the build folder to use (default build; built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
out=${1:-docs/screenshots}

if [ ! -x "$build_dir/ui/quillmark" ]; then
  ./scripts/setup.sh
  cmake -S . -B "$build_dir" -G Ninja >/dev/null
  cmake --build "$build_dir" -j 2 --target quillmark
fi

mkdir -p "$out" "$out/ru"
# The windows are drawn by Qt's Fusion style so that the pictures do not depend
# on the desktop the script happens to run on.
for language in en ru; do
  dir=$out
  [ "$language" = en ] || dir=$out/$language
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build_dir/ui/quillmark" -style Fusion --screenshots "$dir" --language "$language"
done
ls -1 "$out"/*.png "$out"/ru/*.png
