#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds (default 60) from its seeds: the example
# files, the shared real boards where they apply, and the inputs of fixed faults in regressions/.
# FUZZ_SEED and FUZZ_RUNS fix libFuzzer's seed and the number of inputs, so that a run repeats
# exactly the inputs of an earlier one (CI does, so that its verdict does not depend on luck or on
# the machine's speed; the seconds then only cap the time); unset, every run explores anew.
# FUZZ_RUNS_<target> sets one target's number instead, for a reader too slow to take FUZZ_RUNS
# inputs within the seconds. A target stopped by the seconds first is named.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bin=build/fuzz/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seed() {  # seed <target> <files...>
  mkdir -p "$work/$1"
  for f in "${@:2}"; do [ -f "$f" ] && cp "$f" "$work/$1/"; done
  return 0
}
seed fuzz_board_json examples/sample.qbrd.json  # small seeds keep each run fast
seed fuzz_play_script examples/*.play
if [ -x "$bin/fuzz_eagle" ]; then
  seed fuzz_eagle fuzz/seeds/eagle/*
fi
if [ -x "$bin/fuzz_kicad" ]; then
  seed fuzz_kicad fuzz/seeds/kicad/*
fi

status=0
for target in "$bin"/fuzz_*; do
  name=$(basename "$target")
  mkdir -p "$work/$name"
  runs_of="FUZZ_RUNS_$name"
  runs=${!runs_of:-${FUZZ_RUNS:--1}}
  echo "--- $name for ${seconds}s"
  # libFuzzer exits non-zero on a crash, leak, timeout or sanitizer report, and keeps the input.
  if "$target" -seed="${FUZZ_SEED:-0}" -runs="$runs" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
       -artifact_prefix="$work/" "$work/$name" "fuzz/regressions/$name" >"$work/$name.log" 2>&1; then
    grep -E "^Done" "$work/$name.log" || true
    done_runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/$name.log")
    if [ "$runs" != -1 ] && [ -n "$done_runs" ] && [ "$done_runs" -lt "$runs" ]; then
      echo "$name: stopped after ${seconds}s, at $done_runs of the $runs inputs asked for: this run's inputs depend on the machine's speed"
    fi
  else
    tail -n 40 "$work/$name.log"
    for a in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -f "$a" ] && echo "input: $(base64 -w0 < "$a")"
    done
    status=1
  fi
done
exit $status
