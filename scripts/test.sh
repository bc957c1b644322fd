#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test. Usage: scripts/test.sh [preset]
# (preset: default, the release build with assertions, or asan).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
jobs="$(nproc)"

bash scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"
ctest --preset "$preset" -j "$jobs"
