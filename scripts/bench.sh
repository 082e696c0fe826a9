#!/usr/bin/env bash
# Builds (optimised, into build/ or the folder given as $1) and runs every benchmark.
# Extra arguments after the folder go to each benchmark (e.g. --benchmark_repetitions=5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
shift || true
bash "$root/scripts/build.sh" "$dir"
for bench in "$dir"/bin/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" "$@"
done
