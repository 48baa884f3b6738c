#!/usr/bin/env bash
# Builds Siirtolux with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test:
# the headless unit tests and the end-to-end tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
. tools/packages.sh
tools/install-deps.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DSIIRTOLUX_SANITIZE=ON >/dev/null
cmake --build build/test -j"$(nproc)"
ctest --test-dir build/test --output-on-failure -j"$(nproc)" --timeout 300
