#!/usr/bin/env bash
# Builds Siirtolux and starts it on the user's display.
set -euo pipefail
cd "$(dirname "$0")"
. tools/packages.sh
tools/install-deps.sh "${BUILD_PACKAGES[@]}"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSIIRTOLUX_TESTS=OFF >/dev/null
cmake --build build/release --target siirtolux -j"$(nproc)"
exec build/release/app/siirtolux
