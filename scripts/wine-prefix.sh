# Sourced by the Wine scripts (after lib.sh): a throwaway Wine prefix under a build directory,
# made on first use.
#   wine_prefix DIR   sets WINEPREFIX to DIR and the other Wine variables, and creates the prefix
wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEARCH=win64
    # No Mono or Gecko installer prompts in a throwaway prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Only a prefix that was made to the end is reused; a half-made one is made again.
    if [ ! -f "$WINEPREFIX/.made" ]; then
        echo "== creating the Wine prefix"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        step "wineboot --init of the Wine prefix $WINEPREFIX" timeout 180 wine wineboot --init
        # Without a window manager every hidden window would cost Wine a two-second wait for one.
        step "the Wine prefix's X11 setting" timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
        step "the Wine server's end after making the prefix" timeout 60 wineserver -w
        touch "$WINEPREFIX/.made"
    fi
}
