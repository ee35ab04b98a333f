#!/usr/bin/env bash
# Builds the benchmarks in a Release tree (build/bench) and runs them one after the other. Each
# prints one Markdown table on stdout (progress goes to stderr); the tables are also collected
# in build/bench/results.md (SCOURVANE_BENCH_BUILD chooses another tree).
#
#   bench/run-all.sh           the full sizes (1,000,000 lines and up: minutes)
#   bench/run-all.sh --quick   small sizes, to check that everything runs
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  *) echo "usage: bench/run-all.sh [--quick]" >&2; exit 2 ;;
esac

build="${SCOURVANE_BENCH_BUILD:-$root/build/bench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCOURVANE_BENCH=ON \
  -DSCOURVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target engine_run ui_responsiveness

bin="$build/bench"
results="$build/results.md"
: >"$results"

run() {
  echo "+ ${*#"$bin/"}" >&2
  "$@" | tee -a "$results"
  echo | tee -a "$results"
}

if [ "$quick" -eq 1 ]; then
  run "$bin/engine_run" 50000 20
  run "$bin/engine_run" growth --lines 12500,25000,50000,100000 --modules 20 \
    --spread-at 50000 --module-counts 5,100
  run "$bin/engine_run" module --wide-lines 10000 --private-names 400 --long-lines 4000 --dims 100
  run "$bin/engine_run" real 40000
  run "$bin/ui_responsiveness" 50000 20
else
  run "$bin/engine_run" 1000000 200 --repeat 3
  run "$bin/engine_run" growth
  run "$bin/engine_run" module
  run "$bin/engine_run" real --repeat 3
  run "$bin/ui_responsiveness" 1000000 200
fi
echo "Tables collected in $results" >&2
