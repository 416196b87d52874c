#!/usr/bin/env bash
# Runs a command of this tree in a fresh Debian root (bookworm is Debian 12, trixie 13, forky
# testing) made with mmdebstrap, as a user with sudo rights, in a copy of the tree in their home
# folder; then removes the root. Needs root itself (it asks sudo).
#   scripts/debian-root.sh [--keep ROOT] SUITE COMMAND...    e.g. trixie bash scripts/test.sh
# With --keep the root is made only where ROOT does not exist yet, and kept afterwards.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

KEEP=""
if [ "${1:-}" = "--keep" ]; then KEEP="$2"; shift 2; fi
[ $# -gt 1 ] || { echo "usage: $0 [--keep ROOT] SUITE COMMAND..." >&2; exit 2; }
if [ "$(id -u)" -ne 0 ]; then exec sudo bash "${BASH_SOURCE[0]}" ${KEEP:+--keep "$KEEP"} "$@"; fi
SUITE="$1"
shift

install_missing mmdebstrap
USER_NAME=player
TARGET="${KEEP:-$(mktemp -d "/var/tmp/duplora-$SUITE.XXXXXX")}"
MOUNTS=()
cleanup() {
    for ((i = ${#MOUNTS[@]} - 1; i >= 0; i--)); do umount -l "${MOUNTS[i]}" 2>/dev/null || true; done
    [ -n "$KEEP" ] || rm -rf --one-file-system "$TARGET"
}
trap cleanup EXIT

if [ -z "$KEEP" ] || [ ! -e "$TARGET/etc/debian_version" ]; then
    rmdir "$TARGET" 2>/dev/null || true
    # The distribution's own mirror, the one mmdebstrap names by default. Debian testing's Release
    # file may be past its date between two pushes of the archive: apt is told to take it still.
    mmdebstrap --quiet --variant=apt --include=sudo,passwd,ca-certificates \
        --aptopt='Acquire::Check-Valid-Until "false"' \
        --customize-hook="chroot \"\$1\" useradd --create-home --shell /bin/bash --uid 1000 $USER_NAME" \
        --customize-hook="echo '$USER_NAME ALL=(ALL) NOPASSWD: ALL' >\"\$1/etc/sudoers.d/$USER_NAME\"" \
        "$SUITE" "$TARGET"
fi
# The kernel's file systems, as slaves, so that nothing done to them here reaches the host's.
mount -t proc proc "$TARGET/proc"
MOUNTS+=("$TARGET/proc")
for m in sys dev; do
    mount --rbind "/$m" "$TARGET/$m"
    mount --make-rslave "$TARGET/$m"
    MOUNTS+=("$TARGET/$m")
done

rm -rf "$TARGET/home/$USER_NAME/duplora"
copy_tree "$TARGET/home/$USER_NAME/duplora"
chroot "$TARGET" chown -R "$USER_NAME:$USER_NAME" "/home/$USER_NAME/duplora"

printf -v COMMAND '%q ' "$@"
# As a desktop session would have it: a UTF-8 locale.
chroot "$TARGET" runuser -l "$USER_NAME" -c "cd duplora && LANG=C.UTF-8 CI=${CI:-} $COMMAND"
