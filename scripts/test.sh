#!/usr/bin/env bash
# Set up, build, and run the whole test suite. Exits non-zero on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/setup.sh"
tw_install_packages
build="$top/build/test"
tw_build "$build" RelWithDebInfo -DTARROWIN_TESTS=ON -DTARROWIN_BENCH=ON

# Tests that need a real display get their own X server.
xvfb_pid=
cleanup() { [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
    for n in $(seq 90 120); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
        break
    done
fi
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
