# Shared by scripts/run, scripts/test, scripts/bench and scripts/screenshot:
# installs what the project needs on a Debian machine, builds the presets and
# sets up Wine with a display of its own. Source it; it defines functions only.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# BUILD_ROOT and TEST_PORT let two checkouts' test runs share a machine.
BUILD=${BUILD_ROOT:-$ROOT/build}
# The loopback port of the test time server, built into the win64 program.
TEST_PORT=${TEST_PORT:-47321}
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

say() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that are missing, each named once.
ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

ensure_build_tools() {
    ensure_packages cmake ninja-build g++ googletest \
        g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
}

ensure_wine_tools() {
    ensure_packages wine wine64 xvfb xauth fonts-wqy-microhei python3 locales
    # Wine takes its code page and locale from LANG, and only from a locale
    # the C library has: without zh_CN.UTF-8 it silently runs as en-US on
    # code page 1252.
    if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
        say "generating the zh_CN.UTF-8 locale"
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
}

# Configures (once) and builds one preset.
build_preset() {
    local preset=$1
    local settings=()
    [ "$preset" = win64 ] && settings=(-DTIME_PAGE_ADDRESS="http://127.0.0.1:$TEST_PORT/special/time/"
                                       -DHOME_PAGE_ADDRESS="http://127.0.0.1:$TEST_PORT/home/")
    mkdir -p "$BUILD"
    if [ ! -f "$BUILD/$preset/build.ninja" ]; then
        cmake --preset "$preset" -B "$BUILD/$preset" "${settings[@]}" >"$BUILD/configure-$preset.log" 2>&1 || {
            cat "$BUILD/configure-$preset.log" >&2
            return 1
        }
    fi
    cmake --build "$BUILD/$preset"
}

# Wine in a prefix of the build folder's own, in Chinese and on the Beijing
# clock, with the Mono and Gecko installers skipped.
wine_environment() {
    export WINEPREFIX=$BUILD/wine-prefix
    export WINEARCH=win64
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEDEBUG=${WINEDEBUG:--all}
    export LANG=zh_CN.UTF-8
    export LC_ALL=
    export TZ=Asia/Shanghai
}

wine_prefix_ready() {
    wine_environment
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix in $WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINESERVER" -w
    fi
}

XVFB_PID=
# Starts Xvfb on the first free display from :90 on and exports DISPLAY.
start_display() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${SCREEN_SIZE:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    [ -e "/tmp/.X11-unix/X$n" ] || { say "Xvfb did not start"; return 1; }
    export DISPLAY=":$n"
}

stop_display() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}

TIME_SERVER_PID=
# Starts the loopback test server (tests/e2e/time_server.py) on $TEST_PORT in
# the background, waits for its "ready" and exports TIME_SERVER_PORT for the
# tests. Fails, with the server's own words, when the port is taken.
start_time_server() {
    local log=$BUILD/logs/time-server.log
    mkdir -p "$BUILD/logs"
    python3 -u "$ROOT/tests/e2e/time_server.py" --port "$TEST_PORT" >"$log" 2>&1 &
    TIME_SERVER_PID=$!
    for _ in $(seq 100); do
        grep -qx ready "$log" && break
        kill -0 "$TIME_SERVER_PID" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -qx ready "$log"; then
        say "the time server did not start on 127.0.0.1:$TEST_PORT"
        cat "$log" >&2
        stop_time_server
        return 1
    fi
    export TIME_SERVER_PORT=$TEST_PORT
}

stop_time_server() {
    if [ -n "$TIME_SERVER_PID" ]; then
        kill "$TIME_SERVER_PID" 2>/dev/null || true
        wait "$TIME_SERVER_PID" 2>/dev/null || true
        TIME_SERVER_PID=
    fi
}

# Makes the current Wine prefix (after wine_prefix_ready) hand every address
# a Windows program opens (ShellExecute "open" on http://…, which Wine passes
# to winebrowser) to scripts/lib/capture-url instead of a browser: it appends
# the address as one line to $BROWSER_CAPTURE_FILE ("$BUILD/browser-urls.txt"
# unless set), which Windows code sees as "Z:" + the path with "\" for "/".
# winebrowser tries only the browsers listed in this value, so no real browser
# starts and nothing goes to the network.
capture_browser() {
    local standin=$ROOT/scripts/lib/capture-url
    # winebrowser splits the value at commas and runs each entry as a
    # command line, so the path must have neither commas nor spaces.
    case "$standin" in
        *[,\ ]*) say "capture_browser: the checkout's path may not contain commas or spaces: $standin"; return 1 ;;
    esac
    export BROWSER_CAPTURE_FILE=${BROWSER_CAPTURE_FILE:-$BUILD/browser-urls.txt}
    mkdir -p "$(dirname "$BROWSER_CAPTURE_FILE")"
    : >>"$BROWSER_CAPTURE_FILE"
    "$WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ \
        /d "$standin" /f >/dev/null 2>&1 || {
        say "could not point Wine's browser launcher at scripts/lib/capture-url"
        return 1
    }
}
