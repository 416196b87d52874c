# Shared by the play and test scripts: installs the Debian packages that are missing and builds.
# Source it; it defines install_missing, configure_into, build_into and copy_tree.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Names apt resolves on Debian 12, 13 and testing alike.
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev fonts-liberation)

install_missing() {
    # One install at a time where scripts run side by side (CI builds Qt beside the tests).
    exec 9>"${TMPDIR:-/tmp}/duplora-install-$(id -u).lock"
    flock 9
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=()
        [ "$(id -u)" -eq 0 ] || sudo=(sudo)
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
    flock -u 9
}

# configure_into DIR [cmake options...]; build_into DIR [cmake options...] configures and builds
# everything configured.
configure_into() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "$@" >/dev/null
}
build_into() {
    configure_into "$@"
    cmake --build "$ROOT/$1"
}

# copy_tree DIR: this tree as it stands, committed or not, less its builds and git's own folder.
copy_tree() {
    mkdir -p "$1"
    tar -C "$ROOT" --exclude=./.git --exclude='./build*' --exclude=./debian/build -cf - . | tar -xf - -C "$1"
}
