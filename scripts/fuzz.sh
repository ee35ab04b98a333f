#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 5) from a corpus
# seeded with the fixture projects. A crash stops it with the input saved under
# build/fuzz/crashes/; make each one a regression test.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-5}"
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DSCOURVANE_FUZZ=ON \
  -DSCOURVANE_UI=OFF -DSCOURVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target fuzz_search fuzz_project_entries fuzz_collect fuzz_passes

corpus="$build/corpus"
mkdir -p "$build/crashes"
# seed TARGET PATTERN: every fixture and example file whose name matches, numbered.
seed() {
  mkdir -p "$corpus/$1"
  local n=0
  while IFS= read -r -d '' file; do
    cp "$file" "$corpus/$1/$n-$(basename "$file")"
    n=$((n + 1))
  done < <(find "$root/tests/fixtures" "$root/examples" -type f -name "$2" -print0)
}
for target in fuzz_search fuzz_collect fuzz_passes; do
  for pattern in '*.bas' '*.frm' '*.cls'; do seed "$target" "$pattern"; done
done
seed fuzz_project_entries '*.vbp'
# fuzz_passes reads its first byte as where the module ends and the other module begins: seed it
# with each project's modules taken two by two, split near the middle.
pair=0
while IFS= read -r -d '' folder; do
  previous=
  while IFS= read -r -d '' file; do
    if [ -n "$previous" ]; then
      { printf '\x80'; cat "$previous" "$file"; } >"$corpus/fuzz_passes/pair-$pair"
      pair=$((pair + 1))
    fi
    previous="$file"
  done < <(find "$folder" -maxdepth 1 -type f \( -name '*.bas' -o -name '*.cls' -o -name '*.frm' \) -print0 | sort -z)
done < <(find "$root/tests/fixtures" "$root/examples" -type d -print0)

for target in fuzz_search fuzz_project_entries fuzz_collect fuzz_passes; do
  echo "fuzzing $target for ${seconds}s"
  log="$build/$target.log"
  if ! "$build/fuzz/$target" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/crashes/$target-" -print_final_stats=1 "$corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "$target failed: the input is in $build/crashes" >&2
    exit 1
  fi
  grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units)" "$log" || true
done
