#!/usr/bin/env bash
# Installs what is needed, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVOLIN_SANITIZE=ON \
      -DTAVOLIN_BUILD_TESTS=ON >/dev/null
cmake --build build/test -j2

ctest --test-dir build/test -j2 --output-on-failure
bash scripts/fuzz.sh 20
