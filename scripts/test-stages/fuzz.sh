#!/usr/bin/env bash
# make test stage: every libFuzzer target for a bounded time, about a minute
# in all (VP_FUZZ_STAGE_SECONDS), failing on any crash or broken invariant.
set -euo pipefail
cd "$(dirname "$0")/../.."
exec fuzz/run-fuzzers.sh "total:${VP_FUZZ_STAGE_SECONDS:-60}"
