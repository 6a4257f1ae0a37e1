#!/bin/sh
# Writes the keyboard reference docs/commands.md from the program's own command tables.
#
#     scripts/commands-doc.sh [BUILD_DIR]
#
# BUILD_DIR is a build configured with -DBUILD_GUI=ON (default: build). Run it after changing a
# menu, a caption or a key; the test docs.commands fails while the file is out of date.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}

cmake --build "$build" --target quivra >/dev/null
"$build/src/app/quivra" --list-commands --markdown >"$root/docs/commands.md.new" 2>/dev/null
mv "$root/docs/commands.md.new" "$root/docs/commands.md"
echo "wrote $root/docs/commands.md"
