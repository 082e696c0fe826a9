#!/usr/bin/env bash
# Builds the codec's fuzzer with clang in its own build folder and runs it for a
# bounded time over the seed corpus. Exits non-zero when the fuzzer finds a crash;
# the crashing input is left in the build folder (fuzz-artifacts/).
#
#   FUZZ_SECONDS  time limit in seconds (default 30)
#   FUZZ_RUNS     cap on executions (default 5000000)
#   FUZZ_BUILD    build folder (default build-fuzz)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-30}
runs=${FUZZ_RUNS:-5000000}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROM_FUZZ=ON -DKESTROM_TESTS=OFF >/dev/null
cmake --build "$build" --target decode_fuzzer

# New inputs go to a scratch corpus; the committed seeds stay as they are.
scratch="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$scratch" "$artifacts"
log="$build/fuzz.log"

status=0
"$build/bin/decode_fuzzer" "$scratch" "$root/d2xx/fuzz/corpus" \
  -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?

grep -E '^Done|stat::number_of_executed_units|stat::average_exec_per_sec|^#[0-9]+.*(DONE|INITED)' "$log" || true
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "fuzz: FAILED (exit $status); inputs in $artifacts, log in $log" >&2
  exit "$status"
fi
echo "fuzz: no crash in the time given; log in $log"
