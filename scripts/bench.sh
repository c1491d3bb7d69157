#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and runs them: each
# benchmark five times, interleaved at random so that a noisy neighbour
# disturbs plug-in, floor and scanner alike; the ratios at the end are taken
# from each benchmark's fastest repetition. Extra arguments go to Google
# Benchmark (e.g. --benchmark_filter=example).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target talmo_bench
build/bench/bin/talmo_bench --benchmark_min_time=0.1 --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true "$@"
