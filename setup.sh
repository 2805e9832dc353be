#!/usr/bin/env bash
# Installs what Pelmora needs on Debian 12, builds it, and then starts it ("run") or tests it ("test").
#   ./setup.sh run    install, build, start on the simulated bench
#   ./setup.sh test   install, build, run the tests
#   ./setup.sh asan   install, build the tests with AddressSanitizer + UBSan and run them
#   ./setup.sh fuzz [seconds]   install clang, build the libFuzzer targets of tests/fuzz and run each
#                     for the given time (default 20 s)
set -euo pipefail
cd "$(dirname "$0")"
what=${1:-run}

packages=(cmake g++ make qt6-base-dev qt6-serialport-dev libgl-dev fonts-dejavu-core xvfb xauth poppler-utils)
# Only the fuzz targets are built with clang.
if [ "$what" = fuzz ]; then packages+=(clang libclang-rt-dev); fi
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
  fuzz)
    seconds=${2:-20}
    cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build-fuzz -j"$jobs"
    # New inputs the runs find go to a scratch corpus; the seeds in the tree stay as they are.
    for target in $(find build-fuzz -maxdepth 1 -type f -executable -name 'fuzz_*' | sort); do
      name=$(basename "$target")
      corpus=build-fuzz/corpus/${name#fuzz_}
      mkdir -p "$corpus"
      echo "== $name, ${seconds} s"
      ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/ "$corpus" "tests/fuzz/seeds/${name#fuzz_}"
    done
    ;;
  *)
    echo "usage: $0 run|test|asan|fuzz [seconds]" >&2
    exit 2
    ;;
esac
