#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the fuzzers and the benchmarks need.
# Safe to run again: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsimdjson-dev libicu-dev libssl-dev libplist-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-16 libclang-rt-16-dev
  libpng-dev libturbojpeg0-dev libspng-dev libdeflate-dev libyuv-dev
  libcairo2-dev libpango1.0-dev fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
