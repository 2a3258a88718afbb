#!/usr/bin/env bash
# The demo: KivoHost (the host emulator) loads KivoRss.dll under Wine exactly
# as the messenger does, and the feed pipeline fetches the bundled sample feeds
# from a local server. With a display (DISPLAY set) KivoHost opens its window
# for you to use; without one it runs a scripted session on a virtual display
# and saves screenshots into build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
windows=$(cat build/windows-flavour)
echo "=== building (native tools, $windows plugin and host)"
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target kivorss-cli kivo-test-server >/dev/null
cmake --preset "$windows" >/dev/null
cmake --build --preset "$windows" -j2 --target KivoRss KivoHost >/dev/null

out=$root/build/demo
rm -rf "$out" && mkdir -p "$out"
server=$root/build/native/tools/feedserver/kivo-test-server
"$server" --daemon --state-dir "$out/server" --data-dir "$root/tests/data" >/dev/null
trap '"$server" --stop --state-dir "$out/server" >/dev/null 2>&1 || true' EXIT
http=$(sed -n 's/^http=//p' "$out/server/ports")
# demo.script puts the sample feeds of this server into the feed list.
export KIVO_TEST_HTTP=$http

echo "=== the sample feeds, served at http://$http/feeds/, through the plugin's pipeline"
for feed in sample_feed.xml feed_cp1251.xml feed_koi8r.xml atom_feed.xml; do
  echo "--- $feed"
  "$root/build/native/tools/cli/kivorss-cli" fetch "http://$http/feeds/$feed" || true
done

bin=$root/build/$windows
cp "$bin/plugin/KivoRss.dll" "$out/"
export KIVO_WINE_BUILD_DIR=$bin
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  echo "=== KivoHost with KivoRss (close the window to stop the plugin)"
  scripts/wine-run.sh "$bin/tools/host/KivoHost.exe" --plugin "$out/KivoRss.dll" --settings "$out/KivoHost.settings"
else
  echo "=== KivoHost with KivoRss, scripted (no display: screenshots in $out)"
  cp scripts/demo/demo.script "$out/"
  (cd "$out" && "$root/scripts/wine-run.sh" "$bin/tools/host/KivoHost.exe" --plugin "$out/KivoRss.dll" \
      --settings "$out/KivoHost.settings" --script "$out/demo.script")
  for shot in host reader reader_feed_page; do
    [ -f "$out/$shot.bmp" ] && convert "$out/$shot.bmp" "$out/$shot.png" && echo "saved $out/$shot.png"
  done
  echo "=== the plugin's INI after the session:"
  cat "$out/KivoRss.ini" 2>/dev/null | tr -d '\r' | head -60
fi
