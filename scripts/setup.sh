# Shared by the play and test scripts: installs the Debian packages that are missing and builds.
# Source it; it defines install_missing, configure_into and build_into.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev fonts-liberation)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
