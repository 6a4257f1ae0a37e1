#!/usr/bin/env bash
# Installs the dependencies, builds Quivra and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/src/cli/quivra-cli ]; then
    exec build/src/cli/quivra-cli "${@:-info}"
fi
echo "Quivra core built: build/src/engine/libquivra_engine.a"
