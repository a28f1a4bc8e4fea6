#!/usr/bin/env bash
# Builds Orvex (the library, the engine, the launcher and the tests) into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
[ -f build/CMakeCache.txt ] || cmake -S . -B build "${generator[@]}" >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
