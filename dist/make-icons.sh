#!/usr/bin/env bash
# Renders the program's icon (the SVG beside this script) into the PNG sizes the
# desktop's icon theme wants: dist/icons/<size>/<application ID>.png. Run it again
# after a change to the SVG and commit the pictures.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
id=org.kestrom.Kestrom
for size in 16 32 48 64 128 256; do
  mkdir -p "$here/icons/$size"
  rsvg-convert --width "$size" --height "$size" "$here/$id.svg" -o "$here/icons/$size/$id.png"
done
