#!/usr/bin/env bash
# The demo. For now a placeholder: the host emulator (KivoHost) that will load
# the plugin with bundled sample feeds served locally does not exist yet. Until
# it does, this builds the Windows DLL and the command-line tool, loads the DLL
# under Wine as the messenger would, and shows the core on a sample feed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
windows=$(cat build/windows-flavour)
cmake --preset "$windows" >/dev/null
cmake --build --preset "$windows" -j2 --target KivoRss kivorss-cli dll_load_test >/dev/null

echo "--------------------------------------------------------------------------"
echo "KivoRss demo (PLACEHOLDER: the host emulator arrives with the plugin core)"
echo "--------------------------------------------------------------------------"
bin=$root/build/$windows
export KIVO_WINE_BUILD_DIR=$bin
echo "1. Loading $bin/plugin/win32/KivoRss.dll under Wine:"
scripts/wine-run.sh "$bin/tests/win32/dll_load_test.exe" "$bin/plugin/win32/KivoRss.dll"
sample=$root/tests/data/sample_feed.xml
if [ -f "$sample" ]; then
  echo "2. The sample feed $sample parsed and written back by kivorss-cli.exe:"
  scripts/wine-run.sh "$bin/tools/cli/kivorss-cli.exe" xml-roundtrip "$sample" | head -n 30
  echo
fi
