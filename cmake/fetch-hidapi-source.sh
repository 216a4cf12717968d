#!/usr/bin/env bash
# fetch-hidapi-source.sh DEST
#
# Unpacks the upstream sources of Debian's hidapi source package into DEST
# (DEST/hidapi/hidapi.h, DEST/windows/hid.c, ...), for the Windows build.
#
# The machine's apt configuration lists binary archives only. We derive a
# source entry from its own debian.sources (same archives, same suites, same
# keys) into a private directory and point a private apt run at it, so the
# system's package lists stay untouched and no archive address is written
# anywhere. Does nothing when DEST already holds the sources.
set -euo pipefail

dest=${1:?usage: fetch-hidapi-source.sh DEST}
[[ -f "$dest/windows/hid.c" && -f "$dest/hidapi/hidapi.h" ]] && exit 0

work=$(mktemp -d "${TMPDIR:-/tmp}/vp-hidapi.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sources" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"

# The machine's own Debian archives, as source archives: Debian 12's
# debian.sources, or else the one-line lists of older set-ups. (Other vendors'
# lists are left out: they rarely carry sources, and a missing index would
# fail the whole update.)
if [[ -r /etc/apt/sources.list.d/debian.sources ]]; then
  sed -E 's/^Types:.*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$work/sources/debian-src.sources"
elif [[ -r /etc/apt/sources.list ]]; then
  sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$work/sources/debian-src.list"
fi
if ! grep -qs . "$work"/sources/*; then
  echo "fetch-hidapi-source: no Debian archive configured in /etc/apt; cannot fetch hidapi's sources" >&2
  exit 1
fi

apt_private=(
  -o "Dir::Etc::SourceParts=$work/sources"
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache=$work/cache"
  -o "APT::Sandbox::User=$(id -un)"
)

echo "fetch-hidapi-source: fetching Debian's hidapi source package"
apt-get -qq "${apt_private[@]}" update
(cd "$work/download" && apt-get -qq "${apt_private[@]}" source --download-only hidapi >/dev/null)

tarball=$(find "$work/download" -maxdepth 1 -name 'hidapi_*.orig.tar.*' | head -n 1)
if [[ -z "$tarball" ]]; then
  echo "fetch-hidapi-source: no upstream tarball in the hidapi source package" >&2
  exit 1
fi

# Unpack next to DEST and move into place at once, so an interrupted run
# never leaves a half-filled DEST behind.
mkdir -p "$(dirname "$dest")"
staging=$(mktemp -d "$(dirname "$dest")/.hidapi-src.XXXXXX")
tar -xf "$tarball" -C "$staging" --strip-components=1
rm -rf "$dest"
mv "$staging" "$dest"
echo "fetch-hidapi-source: $(basename "$tarball") unpacked into $dest"
