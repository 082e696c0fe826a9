#!/usr/bin/env bash
# Renders the main window on a scratch copy of the simulated FT232BM, offscreen,
# into docs/main-window.png (or the file given as $1). Builds first if needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/main-window.png}
[ -x "$root/build/bin/kestrom" ] || bash "$root/scripts/build.sh" "$root/build"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/run" "$scratch/system"
chmod 700 "$scratch/run"
cp "$root/examples/ft232bm.ini" "$root/examples/ft232bm.bin" "$scratch/"
FTD2XX_SIM="$scratch/ft232bm.ini" QT_QPA_PLATFORM=offscreen KESTROM_EXIT_AFTER_SHOW=1 \
  KESTROM_SCREENSHOT="$out" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run" \
  KESTROM_SYSTEM_LIBDIR="$scratch/system" "$root/build/bin/kestrom"
echo "$out"
