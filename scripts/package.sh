#!/usr/bin/env bash
# The release a messenger user installs: build/package/KivoRss-<version>.zip
# and its SHA-256. The zip holds KivoRss.dll (win32, Release, stripped),
# README.txt (the user guide, CR LF), LICENSE.txt and templates/ with the three
# built-in languages as .lng files.
#   bash scripts/package.sh                  configures and builds the win32 preset first
#   bash scripts/package.sh --build-dir DIR --no-build --out DIR
#                                            packs what DIR already holds (the suite's test)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/win32
out=build/package
do_build=1
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$do_build" = 1 ]; then
  bash scripts/setup.sh >/dev/null
  # A fresh configure counts the commits again for the version.
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j2 --target KivoRss kivorss-cli >/dev/null
fi

number=$(sed -n 's/^#define KIVO_BUILD_NUMBER \([0-9]*\)$/\1/p' "$build/generated/KivoBuild.h")
major=$(sed -n 's/^#define KIVO_VERSION_MAJOR \([0-9]*\)$/\1/p' base/Version.h)
minor=$(sed -n 's/^#define KIVO_VERSION_MINOR \([0-9]*\)$/\1/p' base/Version.h)
version=$major.$minor.${number:?no build number in $build/generated/KivoBuild.h}

stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage/templates"
cp "$build/plugin/KivoRss.dll" "$stage/"
# CR LF for Notepad; the sources keep LF.
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' docs/README.txt; } >"$stage/README.txt"  # with a BOM, for Notepad
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
cli=$build/tools/cli/kivorss-cli.exe
for lang in ru uk en; do
  bash scripts/wine-run.sh "$cli" lang export "$lang" >"$stage/templates/$lang.lng"
  [ -s "$stage/templates/$lang.lng" ] || { echo "package.sh: empty template $lang" >&2; exit 1; }
done

zip=KivoRss-$version.zip
rm -f "$out/$zip" "$out/$zip.sha256"
(cd "$stage" && cmake -E tar cf "../$zip" --format=zip KivoRss.dll README.txt LICENSE.txt templates)
(cd "$out" && sha256sum "$zip" >"$zip.sha256")
echo "$out/$zip"
