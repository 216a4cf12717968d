#!/usr/bin/env bash
# The first stage of make test, and make lint: cheap checks that fail fast,
# before anything is built. C++ formatting against .clang-format, clang-tidy
# on the portable core against .clang-tidy, pyflakes on the Python files.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-lib.sh

failed=0

echo "-- clang-format"
mapfile -t cpp_files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${cpp_files[@]}" || failed=1

echo "-- pyflakes"
mapfile -t python_files < <(git ls-files '*.py')
pyflakes3 "${python_files[@]}" || failed=1

# clang-tidy reads the compile commands of the native build; configuring it
# writes them without compiling anything.
echo "-- clang-tidy (panel, sim, supervisor)"
configure dev
mapfile -t core_files < <(git ls-files 'panel/*.cpp' 'sim/*.cpp' 'supervisor/*.cpp' | grep -v '^sim/simconnect/')
for file in "${core_files[@]}"; do
  clang-tidy -p build --quiet "$file" 2>/dev/null || failed=1
done

if [[ $failed != 0 ]]; then
  echo "lint: failed (see above)" >&2
  exit 1
fi
echo "lint: clean"
