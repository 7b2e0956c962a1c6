# shellcheck shell=bash
# Sourced, not run, from the repository's top folder: what the scripts that try the program in a fresh
# minimal Debian 12 share. The debootstrap root is made once and kept untouched in build/fresh-base (delete
# it for a new one); every check works in a copy of it that is removed at the end, so nothing an earlier
# check installed is there.

bookworm_need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "run as root (chroot and debootstrap need it)" >&2
        exit 2
    fi
    scripts/ensure-deps.sh debootstrap
}

# Made beside and moved into place, so an interrupted debootstrap never leaves a half-made base behind.
bookworm_make_base() {
    local base="$PWD/build/fresh-base"
    [ -x "$base/usr/bin/apt-get" ] && return 0
    rm -rf "$base" "$base.partial"
    mkdir -p build
    echo "Making a minimal Debian 12 in $base (once)" >&2
    debootstrap --variant=minbase bookworm "$base.partial" http://deb.debian.org/debian >/dev/null
    mv "$base.partial" "$base"
}

# Sets bookworm_scratch to a new folder build/NAME.XXXXXX and bookworm_root to a copy of the base in it,
# ready for chroot (name servers, /proc); both go when the script ends.
bookworm_new_root() {
    bookworm_make_base
    bookworm_scratch="$(mktemp -d "$PWD/build/$1.XXXXXX")"
    bookworm_root="$bookworm_scratch/root"
    trap bookworm_remove_root EXIT
    cp -a "$PWD/build/fresh-base" "$bookworm_root"
    cp /etc/resolv.conf "$bookworm_root/etc/resolv.conf"
    mount -t proc proc "$bookworm_root/proc"
}

bookworm_remove_root() {
    if mountpoint -q "$bookworm_root/proc" && ! umount "$bookworm_root/proc"; then
        echo "left $bookworm_scratch behind: its /proc is still in use" >&2
        return
    fi
    rm -rf --one-file-system "$bookworm_scratch"
}
