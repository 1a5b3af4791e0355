# shellcheck shell=bash disable=SC2034  # the arrays are read by the scripts that source it
# Sourced by the scripts: installs the Debian packages a step needs, and only
# those that are missing, so that a machine that has them all stays offline.

# Xlib names the window to the window manager; ImageMagick turns the icons
# into the pixels that the program shows it.
BUILD_PACKAGES=(cmake ninja-build g++ pkgconf libgl-dev freeglut3-dev libx11-dev libgl1-mesa-dri
    imagemagick)
DISPLAY_PACKAGES=(xvfb openbox xdotool x11-utils imagemagick)
TEST_PACKAGES=(libgtest-dev python3 apitrace faketime libfaketime valgrind wmctrl devscripts)
# The desktops that the window is tested under: window managers for the Xvfb,
# Wayland compositors with their Xwayland, KWin's Breeze frames (it draws none
# without them), and the session bus that xfwm4, mutter and KWin run on.
DESKTOP_TEST_PACKAGES=(xfwm4 mutter kwin-x11 kwin-wayland kwin-style-breeze weston xwayland
    dbus-daemon)
# The Debian packages are built in minimal Debian roots (scripts/debian-build),
# which debootstrap makes; what the builds need is installed in those roots.
PACKAGE_PACKAGES=(debootstrap)
PACKAGE_CHECK_PACKAGES=(desktop-file-utils man-db)
# What ./scripts/test --release checks the Debian packages with, besides.
ROOTS_CHECK_PACKAGES=(lintian appstream)
LINT_PACKAGES=(clang-format clang-tidy cppcheck flake8)
# The browser build (brotli for the page's compressed copies) and its tests.
# Node.js with npm comes with the machine; a Debian nodejs without it gets
# Debian's npm (see install_npm).
WEB_PACKAGES=(emscripten brotli python3)
WEB_TEST_PACKAGES=(chromium nodejs)
# The page's other engines, Firefox and WebKitGTK's MiniBrowser with its
# WebDriver, each in a window on an Xvfb screen of its test's own.
WEB_ENGINE_PACKAGES=(firefox-esr webkit2gtk-driver xvfb)
BENCH_PACKAGES=(python3 valgrind gnuplot-nox)
# The README's animation: the clock stepped by libfaketime, the frame shim's
# records read with Python, and the frames packed by libwebp's img2webp.
ANIMATION_PACKAGES=(faketime libfaketime python3 webp)
# The Windows build: the MinGW-w64 cross compiler (its binutils come with it),
# ImageMagick for the icon, and apt itself for freeglut's upstream tarball. Its
# tests run the program under Wine in the display packages' Xvfb, with
# GoogleTest's sources cross-built for the unit tests, and close its window with
# wmctrl. Wine is installed wherever the release has it (see
# install_released_packages); the tests that need it say so where it is missing.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix imagemagick)
WINDOWS_TEST_PACKAGES=(googletest python3 faketime libfaketime wmctrl)
WINE_PACKAGES=(wine wine64)
# ./scripts/release: git for the sources' tarball and the commit's time, Python
# for the zips; with --verify, diffoscope to say what differs (the minimal
# package: it reads the archives and executables here with the tools above).
RELEASE_PACKAGES=(git gzip python3)
RELEASE_VERIFY_PACKAGES=(diffoscope-minimal)

# Those of the packages named that are not installed, one a line.
not_installed() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed ||
            echo "$package"
    done
}

# apt-get as root, waiting for another apt's lock rather than failing. The
# lists are fetched once a run, before the first install or question.
apt_get() {
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if [ -z "${apt_lists_fresh:-}" ]; then
        "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
        apt_lists_fresh=1
    fi
    [ $# -eq 0 ] || DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get \
        -o DPkg::Lock::Timeout=600 "$@"
}

install_packages() {
    local missing
    mapfile -t missing < <(not_installed "$@")
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Installs those of the packages that this release's archive has, and names the
# others. For a tool that a release lacks altogether (Debian testing had no Wine
# on 30 October 2026): the suite still runs every check that does without it,
# and the checks that need it are reported as skipped, with that reason.
install_released_packages() {
    local package candidate released=() absent=()
    for package in $(not_installed "$@"); do
        apt_get # the lists, once, where a package is missing
        candidate=$(apt-cache policy "$package" | sed -n 's/^ *Candidate: //p')
        if [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; then
            absent+=("$package")
        else
            released+=("$package")
        fi
    done
    [ ${#absent[@]} -eq 0 ] || echo "Not in this release's archive, so not installed: ${absent[*]}"
    [ ${#released[@]} -eq 0 ] || install_packages "${released[@]}"
}

# Runs a command with its output kept back, and where it fails, its last 60
# lines shown.
quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || tail -n 60 "$log" >&2
    rm -f "$log"
    return "$status"
}

# npm ships inside some nodejs packages and is a package of its own in Debian's.
install_npm() {
    command -v npm >/dev/null || install_packages npm
}

# A command's usage, a line or two: `usage_for USAGE "$@"` prints it and exits
# 0 where the first argument asks for it (--help, -h), before anything is done;
# usage_error MESSAGE then says in one line what is wrong, and exits 2.
usage_for() {
    if [[ ${2:-} = -h || ${2:-} = --help ]]; then
        echo "$1"
        exit 0
    fi
}

usage_error() {
    echo "$0: $1 (see $0 --help)" >&2
    exit 2
}
