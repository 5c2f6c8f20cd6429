#!/usr/bin/env bash
# Set up, build a release build and start Tarrowin.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/setup.sh"
tw_install_packages
tw_build "$top/build/release" Release -DTARROWIN_TESTS=OFF -DTARROWIN_BENCH=OFF
exe="$top/build/release/app/tarrowin"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "Tarrowin is built: $exe"
    echo "Its window needs a graphical display (X11 or Wayland), and none is set here."
    echo "Without a window, the command line works:"
    echo "  $exe list FILE                 list the icons of an .ico, .exe or .dll file"
    echo "  $exe extract FILE -o OUT       write its icons as .ico files"
    echo "  $exe create PICTURE -o OUT.ico make a multi-size icon from a picture"
    echo "  $exe --screenshots DIR         render every window to PNG files"
    echo "  $exe VERB --help               the options of each"
    exit 0
fi
exec "$exe" "$@"
