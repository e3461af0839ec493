#!/usr/bin/env bash
# Builds lqhost and runs the main job: the automatic pin and gate swap on the bundled sample board.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target lqhost quillon
exec build/default/bin/lqhost "$@"
