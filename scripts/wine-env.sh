# Sourced by the scripts that start Wine, once WINEARCH is set: wine_cmd is the
# loader to call. With 32-bit Wine installed the "wine" launcher always takes
# it, so a 64-bit build (the fallback) goes to the 64-bit loader itself.
wine_cmd=(wine)
if [ "${WINEARCH:-}" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  export WINELOADER=/usr/lib/wine/wine64
  wine_cmd=(/usr/lib/wine/wine64)
fi
# No Mono or Gecko installers (the tests need neither, and there is no
# network), and no debugger: a crashing test must fail at once, not wait in
# winedbg until its time is up.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winedbg.exe=d"}
