#!/bin/sh
# Compares the engine's VCD writer with vvp's own $dumpvars on a design with many toggling
# signals. Usage: bench/vcd_bench.sh [build dir, default build-release]
# The build dir needs the orvex_outputs_test target built optimised, e.g.
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-release --target orvex_outputs_test
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build-release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for mode in 0 1 2; do
  iverilog -o "$work/b$mode.vvp" -DDUMP=$mode -DFILE="\"$work/d$mode.vcd\"" "$here/vcd_bench.v"
done
run() {
  start=$(date +%s.%N)
  vvp -n -M "$build/lib/test" -m orvex_outputs_test "$work/b$1.vvp" >/dev/null
  end=$(date +%s.%N)
  size=$(stat -c %s "$work/d$1.vcd" 2>/dev/null || echo 0)
  echo "$2: $(echo "$end - $start" | bc) s, $size bytes"
}
for round in 1 2; do
  echo "round $round"
  run 0 "no dump       "
  run 1 "vvp \$dumpvars "
  run 2 "engine VCD    "
done
