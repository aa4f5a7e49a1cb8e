# Sourced by the Wine scripts: a throwaway Wine prefix under a build directory, made on first use.
#   wine_prefix DIR   sets WINEPREFIX to DIR and the other Wine variables, and creates the prefix
wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEARCH=win64
    # No Mono or Gecko installer prompts in a throwaway prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== creating the Wine prefix"
        mkdir -p "$WINEPREFIX"
        timeout 180 wine wineboot --init >/dev/null 2>&1
        # Without a window manager every hidden window would cost Wine a two-second wait for one.
        timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        timeout 60 wineserver -w
    fi
}
