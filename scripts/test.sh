#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the
# driver and library tests again under AddressSanitizer and UBSan, and a short
# bounded run of the EEPROM decoder fuzzer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

echo "== build and test"
bash scripts/build.sh "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j2

echo "== sanitizers (ASan + UBSan)"
bash scripts/build.sh "$root/build-asan" -DKESTROM_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j2

echo "== fuzz (bounded)"
FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh
