#!/usr/bin/env bash
# Builds the benchmark programs (native, Release) and runs every one of them.
#   bench/run.sh [NAME...]     e.g. bench/run.sh parsers_bench
#   bench/run.sh --callgrind   instructions per input byte of one parse of a
#                              generated 1 MB feed, and the hottest functions
#   bench/run.sh --callgrind-convert   the same for parse, conversion and the
#                              item cache text of that feed (convert_once)
#   bench/run.sh --win32       conversion_memory_bench and reader_ui_bench built
#                              for i686 Windows and run under Wine (build/win32-bench)
# KIVO_BENCH_BUILD=DIR builds in DIR instead of the native-release preset's folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
if [ "${1:-}" = "--win32" ]; then
  build=build/win32-bench
  cmake -S . -B "$build" --toolchain cmake/toolchains/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
    -DKIVO_BENCH=ON -DKIVO_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target conversion_memory_bench reader_ui_bench >/dev/null
  echo "=== conversion_memory_bench (i686, under Wine)"
  bash scripts/wine-run.sh "$build/bench/conversion_memory_bench.exe"
  echo "=== reader_ui_bench (i686, under Wine)"
  if [ -n "${DISPLAY:-}" ]; then
    bash scripts/wine-run.sh "$build/bench/reader_ui_bench.exe"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/wine-run.sh "$build/bench/reader_ui_bench.exe"
  fi
  exit 0
fi
if [ -n "${KIVO_BENCH_BUILD:-}" ]; then
  build=$KIVO_BENCH_BUILD
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKIVO_BENCH=ON >/dev/null
  cmake --build "$build" -j2 >/dev/null
else
  build=build/native-release
  cmake --preset native-release >/dev/null
  cmake --build --preset native-release -j2 >/dev/null
fi
bin=$build/bench

if [ "${1:-}" = "--callgrind" ] || [ "${1:-}" = "--callgrind-convert" ]; then
  out=$build/callgrind.out
  what=parse program=parse_once toggle='kivo::TmoxXMLParser2::LoadFromBuffer*'
  if [ "$1" = "--callgrind-convert" ]; then
    what=convert program=convert_once toggle='kivo::ParseConvertWrite*'
  fi
  printed=$(valgrind --tool=callgrind --collect-atstart=no \
    --toggle-collect="$toggle" --callgrind-out-file="$out" "$bin/$program" 2>/dev/null)
  bytes=${printed%% *}
  ir=$(awk '/^(summary|totals):/ {print $2; exit}' "$out")
  awk -v ir="$ir" -v bytes="$bytes" -v what="$what" \
    'BEGIN { printf "%s: %d instructions for %d bytes = %.1f instructions per byte\n", what, ir, bytes, ir / bytes }'
  callgrind_annotate --inclusive=no "$out" 2>/dev/null | grep -E '^ *[0-9,]+ ' | head -n 15
  exit 0
fi

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in bench/*_bench.cpp; do names+=("$(basename "$f" .cpp)"); done
fi
for n in "${names[@]}"; do
  echo "=== $n"
  "$bin/$n"
done
