#!/usr/bin/env bash
# Installs the build into a fresh prefix, builds examples/host against it twice (through the CMake
# package and through tavrin.pc) and runs both on examples/counter; the design's own output must
# be what plain vvp prints for the same design. Before that, the installed headers must compile
# against the installed tree alone.
# Usage: example_host.sh BUILD_DIR SOURCE_DIR [extra compiler flags]
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
cmake -S "$source/examples/host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$work/cmake-host" >/dev/null
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name tavrin.pc)")

# No installed header may include one that was not installed: all of them in one translation
# unit, seen through the installed include folder only (each alone is the build's header check).
(cd "$prefix/include" && find orvex tavrin -name '*.h' | sort | sed 's/.*/#include "&"/') > "$work/all_headers.cc"
[ "$(wc -l < "$work/all_headers.cc")" -gt 40 ] || { echo "too few headers installed"; exit 1; }
# shellcheck disable=SC2046 # the flags are words
c++ -std=c++17 -fsyntax-only $(pkg-config --cflags tavrin) "$work/all_headers.cc" ||
  { echo "an installed header does not compile against the installed tree"; exit 1; }
# shellcheck disable=SC2046 # the flags are words
c++ -std=c++17 $flags "$source/examples/host/main.cc" -o "$work/pc-host" $(pkg-config --cflags --libs tavrin) \
    -DTAVRIN_ENGINE_DIR="\"$(pkg-config --variable=enginedir tavrin)\"" -Wl,-rpath,"$(pkg-config --variable=libdir tavrin)"

design=("$source/examples/counter/counter.v" "$source/examples/counter/tb.v")
iverilog -o "$work/plain.vvp" "${design[@]}"
(cd "$work" && vvp -n plain.vvp) | grep -E '^(t=|done)' > "$work/expected"
[ -s "$work/expected" ] || { echo "plain vvp printed nothing"; exit 1; }

for host in cmake-host/tavrin_host pc-host; do
  mkdir "$work/run-${host%%/*}"
  (cd "$work/run-${host%%/*}" && printf 'run 30 ns\nputs "now [show time]"\nrun all\nquit\n' |
     "$work/$host" "${design[@]}") > "$work/out" 2>&1 || { cat "$work/out"; echo "$host failed"; exit 1; }
  grep -q '^now 30 ns' "$work/out" || { cat "$work/out"; echo "$host: no shell output"; exit 1; }
  grep -E '^(t=|done)' "$work/out" | diff "$work/expected" - || { echo "$host: design output differs"; exit 1; }
done
echo "example host ok"
