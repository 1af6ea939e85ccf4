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
    ensure_packages wine wine64 xvfb xauth fonts-wqy-microhei python3
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
