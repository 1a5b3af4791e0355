# Sourced by the scripts that work in a Debian root of their own under build/:
# a minimal system made from Debian's archive with debootstrap, entered with
# chroot. Its /proc, /sys and /dev are mounted in a private mount namespace that
# ends with the command, so nothing stays mounted after it, even after a crash,
# and removing build/ never reaches the machine's own /dev.

# The archive that the machine's own apt sources name, so that the root comes
# from the same mirror as the machine's packages.
debian_mirror() {
    local mirror
    mirror=$({
        sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources
        sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\).*/\2/p' /etc/apt/sources.list
    } 2>/dev/null | grep -v security | head -n1 || true)
    echo "${mirror:-http://deb.debian.org/debian}"
}

# make_debian_root DIR SUITE: a minimal root of SUITE in DIR, unless DIR has a
# finished one already. A root whose making was cut short is made again.
make_debian_root() {
    local root=$1 suite=$2
    [ -e "$root/.made" ] && return 0
    install_packages debootstrap
    rm -rf "$root"
    mkdir -p "$root"
    echo "Making a Debian $suite root in $root"
    # git and the certificates, for the project's own checkouts and downloads.
    debootstrap --variant=minbase --include=ca-certificates,git "$suite" "$root" \
        "$(debian_mirror)" >"$root.log" 2>&1 || { tail -n 20 "$root.log" >&2; return 1; }
    rm -f "$root.log"
    touch "$root/.made"
}

# in_debian_root DIR COMMAND...: runs COMMAND as root inside DIR, with a clean
# environment and the machine's name resolution. A machine that reaches the
# npm registry through a certificate of its own (NODE_EXTRA_CA_CERTS) hands
# that bundle to the root's npm too.
in_debian_root() {
    local root=$1
    shift
    local environment=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
        LANG=C.UTF-8 TERM="${TERM:-dumb}")
    [ -z "${CI:-}" ] || environment+=(CI="$CI")
    if [ -r "${NODE_EXTRA_CA_CERTS:-}" ]; then
        cp "$NODE_EXTRA_CA_CERTS" "$root/etc/ssl/certs/host-extra-ca.crt"
        environment+=(NODE_EXTRA_CA_CERTS=/etc/ssl/certs/host-extra-ca.crt)
    fi
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    # The mounts are made private to this namespace before anything is mounted,
    # so none of them reaches the machine's own.
    unshare --mount --propagation private --fork -- /bin/sh -c '
        set -e
        root=$1
        shift
        mount -t proc proc "$root/proc"
        mount --rbind /sys "$root/sys"
        mount --rbind /dev "$root/dev"
        exec chroot "$root" /usr/bin/env -i "$@"' sh "$root" "${environment[@]}" "$@"
}
