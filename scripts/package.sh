#!/usr/bin/env bash
# Builds the Debian package with CPack from the install step of build/ (or the
# build folder given as $1), building first what is out of date. Prints the path
# of the package: <build>/package/kestrom_<version>_<arch>.deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
[ -f "$dir/CMakeCache.txt" ] || bash "$root/scripts/build.sh" "$dir"
cmake --build "$dir" >/dev/null
rm -rf "$dir/package"
cpack --config "$dir/CPackConfig.cmake" -B "$dir/package" >&2
ls "$dir"/package/kestrom_*.deb
