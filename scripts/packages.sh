# Sourced by the scripts: installs the Debian packages a step needs, and only
# those that are missing, so that a machine that has them all stays offline.

BUILD_PACKAGES=(cmake ninja-build g++ pkgconf libgl-dev freeglut3-dev libgl1-mesa-dri)
DISPLAY_PACKAGES=(xvfb openbox xdotool x11-utils imagemagick)
TEST_PACKAGES=(libgtest-dev python3 apitrace faketime libfaketime valgrind wmctrl devscripts)

install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends \
        "${missing[@]}" >/dev/null
}
