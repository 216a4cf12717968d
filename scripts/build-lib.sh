# Shared by the build and test scripts.

stage() { printf '\n==== %s ====\n' "$*"; }

# configure DIR [cmake args...]: configures DIR once; later calls reuse it.
configure() {
  local dir=$1
  shift
  if [[ ! -f "$dir/build.ninja" ]]; then
    cmake -S . -B "$dir" -G Ninja "$@"
  else
    cmake "$dir" "$@" >/dev/null
  fi
}

run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j2 "$@"
}
