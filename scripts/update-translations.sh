#!/usr/bin/env bash
# Refreshes the translation files translations/quillmark_<language>.ts from the
# texts of the desktop program (ui/) and of the core and image code whose
# messages it shows (fileio/ mapfile/ sheet/ imageinfo/ settings/ tools/ frame/).
# New texts come in unfinished, texts no longer in the sources are dropped;
# translations already made are kept. Translate the new ones (Qt Linguist, or
# by hand: fill <translation> and remove type="unfinished"), then build: CMake
# makes the .qm files from the .ts files.
#   scripts/update-translations.sh
# LUPDATE names the lupdate to use (default Qt 6's, from qt6-l10n-tools).
set -euo pipefail
cd "$(dirname "$0")/.."

lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
if [ ! -x "$lupdate" ]; then
  lupdate=$(command -v lupdate-qt6 || command -v lupdate || true)
fi
if [ -z "$lupdate" ] || [ ! -x "$lupdate" ]; then
  echo "lupdate not found: install qt6-l10n-tools (scripts/setup.sh)" >&2
  exit 1
fi

sources=(ui fileio mapfile sheet imageinfo settings tools scan frame)
for ts in translations/quillmark_*.ts; do
  language=${ts##*/quillmark_}
  language=${language%.ts}
  # No source locations: the files then change only when texts change.
  "$lupdate" -silent -I . -no-obsolete -locations none -source-language en -target-language "$language" \
    "${sources[@]}" -ts "$ts"
done

# What is left to translate.
for ts in translations/quillmark_*.ts; do
  unfinished=$(grep -c 'type="unfinished"' "$ts" || true)
  echo "$ts: $unfinished unfinished"
done
