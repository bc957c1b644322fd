#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main program on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target tavelin-wire
echo "Decoding examples/wire/dock-snapshot.json and writing it back in wire form:"
build/default/tools/tavelin-wire decode DockSnapshot < examples/wire/dock-snapshot.json
