#!/bin/sh
# Saves a picture of the desktop program on the demo institution as docs/screenshot.png.
#
#     scripts/screenshot.sh [BUILD_DIR] [OUT.png]
#
# BUILD_DIR is a build configured with -DBUILD_GUI=ON (default: build). The data file shown is
# examples/demo.qvf when it exists, else examples/demo.qvx converted on the fly, else a small
# fixture institution. Runs the program under xvfb-run at 1280x800.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
out=${2:-"$root/docs/screenshot.png"}
case $out in /*) ;; *) out="$PWD/$out" ;; esac

cmake --build "$build" --target quivra gui_screenshot_data >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$root/examples/demo.qvf"
if [ ! -f "$data" ]; then
    data="$work/demo.qvf"
    if [ -f "$root/examples/demo.qvx" ]; then
        "$build/tests/gui/gui_screenshot_data" "$data" "$root/examples/demo.qvx"
    else
        "$build/tests/gui/gui_screenshot_data" "$data"
    fi
fi

# A private settings folder, so the run neither reads nor changes the user's settings.
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/src/app/quivra" --screenshot "$out" "$data"
echo "wrote $out"
