#!/usr/bin/env bash
# Renders the emblem in the three tray-state colours and packs the icon
# groups: standby (grey, also the program icon), waiting (yellow) and
# connected (green), each at 16, 24, 32 and 48 pixels in 32-bit colour and at
# 256 pixels as PNG. Run after changing emblem.svg; the results are committed.
set -euo pipefail
cd "$(dirname "$0")"
out=generated
mkdir -p "$out"

render() {  # name body rim light
  local name=$1 svg
  svg=$(sed -e "s/@BODY@/$2/g" -e "s/@RIM@/$3/g" -e "s/@LIGHT@/$4/g" emblem.svg)
  for size in 16 24 32 48 256; do
    printf '%s' "$svg" | rsvg-convert -w "$size" -h "$size" -f png -o "$out/$name-$size.png"
  done
  python3 pack_ico.py "$out/$name.ico" "$out/$name"-{16,24,32,48,256}.png
}

render standby "#6b7280" "#374151" "#b8bec8"
render waiting "#d89b06" "#8a6204" "#ffd85c"
render connected "#1f9d46" "#0f5f2a" "#6fe39a"
