#!/usr/bin/env bash
# make test stage: builds the Debian package as `make package` does and
# tests it: lintian finds no error, and the program unpacked from it bridges
# the stand-in and the virtual panel of the native build end to end.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/build-lib.sh
packaging/linux/build-package.sh -DVP_PACKAGE_TESTS=ON
run_ctest build-package
