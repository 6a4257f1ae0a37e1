#!/usr/bin/env bash
# Installs the dependencies, builds Quivra and opens the bundled demo institution: in the
# desktop program when it is built and a display is available, otherwise with quivra-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

demo=examples/demo.qvf
if [ -x build/src/app/quivra ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/src/app/quivra "$demo" "$@"
fi
echo "No desktop program or display here; the demo institution as quivra-cli reads it:"
build/src/cli/quivra-cli info "$demo"
build/src/cli/quivra-cli check "$demo"
