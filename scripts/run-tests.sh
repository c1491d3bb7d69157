#!/usr/bin/env bash
# Builds and runs every test: the plain suite, the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows DLL's
# suites under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64
cmake --workflow --preset default
cmake --workflow --preset asan
cmake --workflow --preset windows
