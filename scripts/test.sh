#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the
# same tests again under AddressSanitizer and UBSan, a short bounded run of the
# EEPROM decoder fuzzer, and the Debian package's checks. Ends with one line:
# "N passed, N failed".
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

# One check of the package step: counted, and named when it fails.
package_check() {
  local name=$1
  shift
  if "$@"; then
    package_passed=$((package_passed + 1))
  else
    echo "package check failed: $name"
    package_failed=$((package_failed + 1))
  fi
}

# The package unpacked into a scratch root runs from there, on a simulated device.
run_unpacked() {
  local scratch=$1 expected=$2
  shift 2
  local output
  output=$(env FTD2XX_SIM="$scratch/sim/ft232bm.ini" XDG_CONFIG_HOME="$scratch/home/config" \
    XDG_DATA_HOME="$scratch/home/data" XDG_RUNTIME_DIR="$scratch/home/run" \
    "$scratch/root/usr/bin/kestrom" "$@") || return 1
  grep -qF -- "$expected" <<<"$output" || { echo "expected \"$expected\" in: $output"; return 1; }
}

echo "== Debian package"
package_passed=0
package_failed=0
package_scratch=$(mktemp -d)
if deb=$(bash scripts/package.sh "$root/build"); then
  package_passed=$((package_passed + 1))
  mkdir -p "$package_scratch/root" "$package_scratch/sim" "$package_scratch/home/run"
  chmod 700 "$package_scratch/home/run"
  cp examples/ft232bm.ini examples/ft232bm.bin "$package_scratch/sim/"
  package_check "dpkg -x" dpkg -x "$deb" "$package_scratch/root"
  version=$(sed -nE 's/^project\(Kestrom VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
  package_check "kestrom --version" run_unpacked "$package_scratch" "kestrom $version" --version
  package_check "kestrom list" run_unpacked "$package_scratch" "FT232BM  0403:6001  QV000001" list
  package_check "lintian" lintian --fail-on error "$deb"
else
  echo "package check failed: scripts/package.sh"
  package_failed=$((package_failed + 1))
fi
rm -rf "$package_scratch"
echo "package: $package_passed passed, $package_failed failed"
passed=$((passed + package_passed))
failed=$((failed + package_failed))

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
