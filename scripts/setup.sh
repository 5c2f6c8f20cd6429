#!/usr/bin/env bash
# Installs what is missing (Debian 12) and builds. Sourced by start.sh and test.sh;
# usable alone: scripts/setup.sh [release|test]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

tw_install_packages() {
    local missing=()
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done < "$top/scripts/packages.txt"
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# tw_build DIR TYPE [extra cmake args]
tw_build() {
    local dir=$1 type=$2; shift 2
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    tw_install_packages
    case "${1:-release}" in
        release) tw_build "$top/build/release" Release -DTARROWIN_TESTS=OFF -DTARROWIN_BENCH=OFF ;;
        test) tw_build "$top/build/test" RelWithDebInfo ;;
        *) echo "usage: $0 [release|test]" >&2; exit 2 ;;
    esac
fi
