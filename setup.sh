#!/usr/bin/env bash
# Installs what Pelmora needs on Debian 12, builds it, and then starts it ("run") or tests it ("test").
#   ./setup.sh run    install, build, start on the simulated bench
#   ./setup.sh test   install, build, run the tests
#   ./setup.sh asan   install, build the tests with AddressSanitizer + UBSan and run them
set -euo pipefail
cd "$(dirname "$0")"
what=${1:-run}

packages=(cmake g++ make qt6-base-dev qt6-serialport-dev libgl-dev fonts-dejavu-core xvfb xauth poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
case "$what" in
  run)
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF
    cmake --build build -j"$jobs" --target pelmora pelmora-sim
    exec ./build/pelmora
    ;;
  test)
    cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELMORA_WERROR=ON
    cmake --build build-test -j"$jobs"
    ctest --test-dir build-test --output-on-failure -j"$jobs"
    ;;
  asan)
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPELMORA_WERROR=ON -DPELMORA_SANITIZE=ON -DPELMORA_BENCH=OFF
    cmake --build build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-asan --output-on-failure -j"$jobs"
    ;;
  *)
    echo "usage: $0 run|test|asan" >&2
    exit 2
    ;;
esac
