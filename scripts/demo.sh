#!/usr/bin/env bash
# Installs what is needed, builds, and shows the main job on sample sheet names.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

./build/cli/quillmark-cli sheet N-37-001.jpg N-37-001-А-а.jpg sK-37-001.jpg P-37-12.png N-37
