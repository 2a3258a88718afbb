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

# Readies $WINEPREFIX for a run. The persistent server comes first: started
# after wineboot it would find wineboot's server still up and do nothing, and
# every program would then start a server (and Wine's services) of its own.
# The prefix is made once, under a lock. The server writes system.reg only when
# it saves the registry, long after wineboot returns, so a mark of our own says
# the prefix is done. Wine must not inherit the lock: the services that
# wineboot starts live as long as the server and would hold it all that time.
prepare_wine_prefix() {
  local ready=$WINEPREFIX/.kivo-ready
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 || true
  [ -f "$ready" ] && return 0
  (
    flock 9
    [ -f "$ready" ] && exit 0
    if [ -f "$WINEPREFIX/system.reg" ] || "${wine_cmd[@]}" wineboot -i >/dev/null 2>&1 9>&-; then
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
