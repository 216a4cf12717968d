#!/usr/bin/env bash
# Builds build-package/vestrel-pelvar_<version>_<arch>.deb from a Release
# build of its own that holds the bridge and nothing else: no tests, tools
# or benchmarks. It is compiled with Debian's
# hardening flags, as a Debian package of the bridge would be. Arguments
# are passed on to the configuration.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/build-lib.sh

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get CPPFLAGS; dpkg-buildflags --get "$1"; }
configure package -DCMAKE_C_FLAGS="$(flags CFLAGS | xargs)" -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS | xargs)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@"
rm -f build-package/vestrel-pelvar_*.deb
ninja -C build-package package
