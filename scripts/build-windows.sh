#!/usr/bin/env bash
# Cross-builds the Windows bridge with mingw-w64 into build-win/bin/
# vestrel-pelvar.exe: a single, statically linked executable that needs only
# what Windows 10/11 brings; and the release zip,
# build-win/vestrel-pelvar-<version>-windows-x64.zip.
#
#   scripts/build-windows.sh [TARGET...]    default: vestrel-pelvar windows_release_zip
#
# The test suite is configured only when VP_WINDOWS_TESTS=ON (the Windows test
# stage sets it, and VP_STANDIN to the native simulator stand-in the tests
# talk to), so the program itself builds whatever the test folders do.
#
# hidapi's Windows backend is compiled from Debian's hidapi source package,
# fetched with apt into a cache outside the work tree the first time.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-lib.sh

cache=${VP_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vestrel-pelvar}
hidapi_source="$cache/hidapi-source"
bash cmake/fetch-hidapi-source.sh "$hidapi_source"

VP_WINDOWS_TESTS=${VP_WINDOWS_TESTS:-OFF} VP_HIDAPI_SOURCE_DIR=$hidapi_source VP_STANDIN=${VP_STANDIN:-} configure windows-cross

targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(vestrel-pelvar windows_release_zip)
ninja -C build-win -j2 "${targets[@]}"

if [[ " ${targets[*]} " == *" vestrel-pelvar "* ]]; then
  echo "Windows bridge: build-win/bin/vestrel-pelvar.exe"
fi
if [[ " ${targets[*]} " == *" windows_release_zip "* ]]; then
  echo "Release zip: $(ls build-win/vestrel-pelvar-*-windows-x64.zip)"
fi
