#!/usr/bin/env bash
# Builds the plug-in, the stand-in host and talmo, then runs talmo on a
# shipped sample: the header read into the tree, the class for the body.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target talmo TALMOparser
build/default/bin/talmo parse "${1:-samples/x12-overview.msg}"
