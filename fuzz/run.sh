#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each one.
#   fuzz/run.sh [--seconds N] [--smoke] [TARGET...]
# --seconds N  run every target for N seconds (default 300) on the shared corpus;
# --smoke      replay the shared corpus once through every target, then fuzz 2 s:
#              what the test suite runs.
# Findings are written to build/fuzz/findings/<target>/; turn each into a test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=300 smoke=0 targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --smoke) smoke=1; seconds=2; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" _fuzz.cpp)"); done
fi

command -v clang++ >/dev/null || { echo "fuzz: clang++ missing (run scripts/setup.sh)"; exit 2; }
out=$root/build/fuzz
mkdir -p "$out"
shopt -s nullglob
# The folders the targets may use (ARCHITECTURE.md), and the POSIX platform
# beneath them: compiling more only lengthens the test suite.
core_sources=(base/*.cpp platform/*.cpp platform/posix/*.cpp lang/*.cpp imaging/*.cpp viewer/*.cpp feeds/*.cpp)
shopt -u nullglob
# The smoke only replays and fuzzes briefly: compiling unoptimised keeps the test suite short.
opt=-O1
[ "$smoke" -eq 1 ] && opt=-O0
flags=(-std=c++20 "$opt" -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root")

# The core is compiled once into a library that every target links.
core_lib=$out/libcore.a
stamp=$( (echo "${flags[*]}"; cat "${core_sources[@]}") | md5sum | cut -d' ' -f1)
if [ ! -f "$core_lib" ] || [ "$(cat "$out/core.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -f "$out"/core_*.o "$core_lib"
  for src in "${core_sources[@]}"; do
    obj=$out/core_$(echo "$src" | tr '/' '_').o
    clang++ "${flags[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$src" -o "$obj" &
    while [ "$(jobs -r | wc -l)" -ge 2 ]; do wait -n; done
  done
  wait
  ar rcs "$core_lib" "$out"/core_*.o
  echo "$stamp" > "$out/core.stamp"
fi

corpus=$root/../shared/corpus
if [ ! -d "$corpus" ]; then
  echo "fuzz: no shared corpus at $corpus; fuzzing from an empty corpus"
  corpus=""
fi

status=0
for t in "${targets[@]}"; do
  bin=$out/${t}_fuzz
  clang++ "${flags[@]}" "fuzz/${t}_fuzz.cpp" "$core_lib" -lcurl -o "$bin"
  work=$out/corpus/$t findings=$out/findings/$t
  mkdir -p "$work" "$findings"
  seeds=()
  [ -n "$corpus" ] && seeds=("$corpus")
  if [ "$smoke" -eq 1 ] && [ -n "$corpus" ]; then
    mapfile -t files < <(find "$corpus" -type f ! -name LICENSE)
    echo "fuzz: $t replays ${#files[@]} corpus files"
    "$bin" -runs=0 -timeout=10 -rss_limit_mb=2048 "${files[@]}" >"$out/$t.replay.log" 2>&1 \
      || { tail -n 40 "$out/$t.replay.log"; status=1; continue; }
    seeds=()  # replayed already; the short run starts from its own corpus
  fi
  echo "fuzz: $t for ${seconds}s"
  if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$findings/" -print_final_stats=0 "$work" "${seeds[@]}" >"$out/$t.log" 2>&1; then
    tail -n 40 "$out/$t.log"
    echo "fuzz: $t FOUND A FAULT (see $findings)"
    status=1
  else
    grep -E '^#[0-9]+.*DONE|Done [0-9]+ runs' "$out/$t.log" | tail -n 1 || true
  fi
done
exit $status
