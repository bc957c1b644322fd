#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang with the sanitizers, in build/fuzz) and runs each
# one from its sample inputs for a share of the time given in seconds (default 60 in all). A crash, a sanitizer
# report or a broken round trip stops the run with a failure; the input is kept in build/fuzz/findings.
# Usage: scripts/fuzz.sh [seconds]; TAVELIN_FUZZ_BUILD and TAVELIN_FUZZ_JOBS set another build folder
# and number of build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
total="${1:-60}"
build="${TAVELIN_FUZZ_BUILD:-build/fuzz}"

bash scripts/install-deps.sh
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target tavelin_fuzzers -j "${TAVELIN_FUZZ_JOBS:-$(nproc)}"

corpora=(fuzz/corpus/*/)
share=$(( total / ${#corpora[@]} ))
if [ "$share" -lt 1 ]; then share=1; fi
mkdir -p "$build/findings"
for samples in "${corpora[@]}"; do
  name="$(basename "$samples")"
  # New inputs go to a working corpus in the build folder; the sample inputs in the repository stay as they are.
  work="$build/corpus/$name"
  mkdir -p "$work"
  echo "Fuzzing $name for ${share}s"
  "$build/fuzz/${name}_fuzzer" "$work" "$samples" -max_total_time="$share" -print_final_stats=1 \
    -artifact_prefix="$build/findings/${name}-"
done
