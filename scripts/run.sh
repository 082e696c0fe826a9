#!/usr/bin/env bash
# Installs what is needed, builds, and opens the window on device 0. Where no
# display is available it says so and prints the EEPROM report instead
# (kestrom --report; extra arguments go to kestrom then, e.g. --no-binary).
# With no FTD2XX_SIM set it uses a scratch copy of the simulated FT232BM in
# examples/ (the files in examples/ are never changed). Set KESTROM_REAL=1 to
# use real USB devices.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh
bash scripts/build.sh "$root/build"

if [ -z "${KESTROM_REAL:-}" ] && [ -z "${FTD2XX_SIM:-}" ]; then
  scratch=${KESTROM_SCRATCH:-$root/build/demo-devices}
  FTD2XX_SIM=$(bash scripts/demo-devices.sh "$scratch")
  export FTD2XX_SIM
  echo "Simulated devices: $FTD2XX_SIM"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
  exec "$root/build/bin/kestrom"
fi
echo "No display is available: printing the EEPROM report instead of opening the window."
exec "$root/build/bin/kestrom" --report "$@"
