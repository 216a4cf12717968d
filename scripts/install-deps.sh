#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
# Idempotent and non-interactive; runs apt-get update at most once.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t wanted < <(find . -path ./node_modules -prune -o -path './build*' -prune -o \
  -name debian-packages.txt -print | sort | xargs cat | sed 's/#.*//' | tr -s ' \t' '\n' | grep -v '^$' | sort -u)

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing ${#missing[@]} Debian package(s): ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
