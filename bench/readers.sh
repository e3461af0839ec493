#!/usr/bin/env bash
# Times lqhost's board readers and their peak memory on the largest legal files and on hostile
# ones, each read in a process of its own. Usage: bench/readers.sh [BUILD_DIR] (default
# build/default); the files go to a scratch folder that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${1:-build/default}/bin/reader_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" json "$work/largest.qbrd.json" >/dev/null
"$bench" eagle "$work/largest.brd" >/dev/null
"$bench" kicad "$work/generated-50MB.kicad_pcb" 50 >/dev/null
"$bench" play "$work/largest.play" >/dev/null
for kind in empty-objects list-items nets; do "$bench" hostile "$kind" "$work/$kind.qbrd.json" >/dev/null; done
"$bench" hostile dense-eagle "$work/dense.brd" >/dev/null
for f in largest.qbrd.json largest.brd generated-50MB.kicad_pcb largest.play empty-objects.qbrd.json list-items.qbrd.json nets.qbrd.json dense.brd; do
  "$bench" read "$work/$f" | sed "s|$work/||"
done
