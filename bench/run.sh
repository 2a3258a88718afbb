#!/usr/bin/env bash
# Builds the benchmark programs (native, Release) and runs every one of them.
#   bench/run.sh [NAME...]   e.g. bench/run.sh xml_scaling_bench
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j2 >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in bench/*_bench.cpp; do names+=("$(basename "$f" .cpp)"); done
fi
for n in "${names[@]}"; do
  echo "=== $n"
  "build/native-release/bench/$n"
done
