#!/usr/bin/env bash
# Builds and runs every test:
#   default   the suites, the CLI end to end and the fuzz corpus replayed
#   asan      all of it again under AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan      the threaded tests under ThreadSanitizer
#   valgrind  the plug-in suite under valgrind memcheck
#   fuzz      each libFuzzer target for a bounded time (clang)
#   windows   TALMOParser.dll, talmo.exe and their tests under wine
# then a packager's plain Release build and the packages, installed and run
# (scripts/check-packages.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64 lintian dpkg-dev file binutils
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
for preset in default asan tsan valgrind fuzz windows; do
  echo "=== $preset"
  cmake --workflow --preset "$preset"
done
echo "=== packages"
scripts/check-packages.sh
