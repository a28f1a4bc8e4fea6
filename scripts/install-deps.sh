#!/usr/bin/env bash
# Installs the Debian 12 packages Orvex needs to build, test and simulate.
set -euo pipefail
packages=(cmake g++ ninja-build tcl8.6-dev libgtest-dev libgmock-dev libbenchmark-dev
          iverilog libedit-dev libgmp-dev python3 pkg-config
          gtkwave xvfb xauth python3-tk imagemagick procps)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
