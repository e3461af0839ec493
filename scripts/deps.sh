#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ g++-multilib clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
          libbenchmark-dev libpugixml-dev nlohmann-json3-dev libcli11-dev libfmt-dev libxml2-utils
          libcpp-httplib-dev chromium chromium-driver python3-selenium fonts-wqy-microhei
          kicad)  # KiCad 6: its pcbnew module (under /usr/bin/python3) loads written boards in the tests
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
