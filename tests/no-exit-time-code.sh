#!/bin/sh
# Fails when an object file of the given static libraries registers code to
# run at exit: a static object with a destructor (__cxa_atexit, or atexit in
# mingw objects), a thread_local one, or an atexit/on_exit handler. The
# supervisor thread is never joined, so such code would run under it.
#   usage: no-exit-time-code.sh NM LIBRARY...
nm=$1
shift
symbols=$("$nm" -A "$@") || exit 2
found=$(printf '%s\n' "$symbols" | grep -E ' U _*(cxa_atexit|cxa_thread_atexit|cxa_thread_atexit_impl|atexit|on_exit|onexit)$')
if [ -n "$found" ]; then
  echo "registered to run at exit, while the supervisor may still run:"
  echo "$found"
  exit 1
fi
