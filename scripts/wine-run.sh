#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the cross-compiling emulator
# of the Windows presets. The prefix lives in the build folder so tests never
# touch the user's own Wine set-up; one wineserver serves the whole run.
set -euo pipefail

exe=${1:?usage: wine-run.sh PROGRAM [ARGS...]}
build_dir=${KIVO_WINE_BUILD_DIR:-}
if [ -z "$build_dir" ]; then
  # The program sits somewhere below the build folder, which holds CMakeCache.txt.
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  build_dir=${dir%/}
  [ -f "$build_dir/CMakeCache.txt" ] || build_dir=$(pwd)
fi

export WINEPREFIX=$build_dir/wineprefix
if grep -q 'x86_64-w64-mingw32' "$build_dir/CMakeCache.txt" 2>/dev/null; then
  export WINEARCH=win64
else
  export WINEARCH=win32
fi
. "$(dirname "$0")/wine-env.sh"
export WINEDEBUG=${WINEDEBUG:--all}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# The first start creates the prefix; two tests starting at once must not both
# do it. A persistent server spares every test the server's start-up.
prepare_wine_prefix

# Wine may start helper processes (services, the desktop) that inherit our
# output and outlive the program; a caller reading a pipe (ctest) would then
# wait for them forever. So the program writes to files that we copy out.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
rc=0
"${wine_cmd[@]}" "$@" >"$out" 2>"$err" </dev/null || rc=$?
cat "$out"
cat "$err" >&2
exit "$rc"
