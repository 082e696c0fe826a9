#!/usr/bin/env bash
# Copies the example devices into a scratch folder, so that programming and
# erasing change the copies and never examples/ itself, and prints the path of
# the FT232BM's devices file there. Delete the folder to start afresh.
#   export FTD2XX_SIM="$(scripts/demo-devices.sh /tmp/kestrom-demo)"
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 <scratch-folder>" >&2
  exit 2
fi

examples="$(cd "$(dirname "${BASH_SOURCE[0]}")/../examples" && pwd)"
mkdir -p "$1"
scratch="$(cd "$1" && pwd)"
if [ "$scratch" = "$examples" ]; then
  echo "$0: the scratch folder must not be examples/ itself" >&2
  exit 1
fi

# What an earlier demo wrote is kept: only files the folder lacks are copied.
cp -n "$examples"/*.ini "$examples"/*.bin "$scratch"/
echo "$scratch/ft232bm.ini"
