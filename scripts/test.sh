#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the
# same tests again under AddressSanitizer and UBSan, and a short bounded run of
# the EEPROM decoder fuzzer. Ends with one line: "N passed, N failed".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

passed=0
failed=0
# Runs ctest on a build folder and adds its counts to the totals.
run_tests() {
  local log
  log=$(mktemp)
  local status=0
  ctest --test-dir "$1" --output-on-failure -j2 2>&1 | tee "$log" || status=$?
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return 0
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$status" -eq 0 ] || [ "$bad" -gt 0 ] || failed=$((failed + 1))
}

echo "== build and test"
bash scripts/build.sh "$root/build"
run_tests "$root/build"

echo "== sanitizers (ASan + UBSan)"
bash scripts/build.sh "$root/build-asan" -DKESTROM_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_tests "$root/build-asan"
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== fuzz (bounded)"
if FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
