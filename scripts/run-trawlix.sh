#!/usr/bin/env bash
# Installs what is missing, builds, and starts Trawlix from the program directory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target Trawlix Updrift
exec build/bin/Trawlix "$@"
