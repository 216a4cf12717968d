#!/usr/bin/env bash
# Cross-builds the Windows bridge with mingw-w64 into build-win/bin/
# vestrel-pelvar.exe: a single, statically linked executable that needs only
# what Windows 10/11 brings (plus the simulator's SimConnect.dll at run time).
#
#   scripts/build-windows.sh [TARGET...]    default target: vestrel-pelvar
#
# The test suite is configured only when VP_WINDOWS_TESTS=ON (the Windows test
# stage sets it), so the program itself builds whatever the test folders do.
#
# hidapi's Windows backend is compiled from Debian's hidapi source package,
# fetched with apt into a cache outside the work tree the first time.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-lib.sh

cache=${VP_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/vestrel-pelvar}
hidapi_source="$cache/hidapi-source"
bash cmake/fetch-hidapi-source.sh "$hidapi_source"

VP_WINDOWS_TESTS=${VP_WINDOWS_TESTS:-OFF} VP_HIDAPI_SOURCE_DIR=$hidapi_source configure windows-cross

targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(vestrel-pelvar)
ninja -C build-win -j2 "${targets[@]}"

if [[ " ${targets[*]} " == *" vestrel-pelvar "* ]]; then
  echo "Windows bridge: build-win/bin/vestrel-pelvar.exe"
fi
