#!/usr/bin/env bash
# Installs what is needed, builds the tavelin program, and runs it on the bundled example for a few
# seconds, with a few commands typed for it: an application is launched, a file goes to the Trash and
# an application is hidden, and the live Dock snapshot follows each change. Arguments are passed on to
# tavelin (see README.md; without --home it makes a fresh home folder in the temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target tavelin

demo() {
  sleep 1; echo "launch com.apple.Notes"
  sleep 1; echo "trash-add Old Report.pdf"
  sleep 1; echo "hide com.apple.Safari"
}
demo | build/default/tools/tavelin --exit-after 4 "$@"
echo
echo "Run it yourself and type commands (help lists them): build/default/tools/tavelin"
