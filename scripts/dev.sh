#!/usr/bin/env bash
# Mosaiko's one entry for set-up, building and testing on Debian 12. Installs what is missing
# (apt-get, as root or through sudo), configures and builds, then:
#   scripts/dev.sh run [f]   starts the editor on a blank image, or on the file f
#   scripts/dev.sh test      every test (ctest) in the plain build; benchmarks are built, not run
#   scripts/dev.sh asan      every test again under AddressSanitizer and UndefinedBehaviorSanitizer
#   scripts/dev.sh fuzz [s]  the libFuzzer targets (clang), each for s seconds (30) on its seeds
# The shared test data is found through MOSAIKO_SHARED_DIR (default ../shared beside the tree).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shared=${MOSAIKO_SHARED_DIR:-$root/../shared}
jobs=$(nproc 2>/dev/null || echo 2)
packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libjpeg62-turbo-dev libpng-dev nlohmann-json3-dev libssl-dev
          clang libclang-rt-14-dev qt6-base-dev qt6-qpa-plugins fonts-dejavu-core)

install_missing() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

configure() { # folder, extra cmake arguments...
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -DMOSAIKO_SHARED_DIR="$shared" "$@"
}

configure_and_build() { # folder, extra cmake arguments...
    configure "$@"
    cmake --build "$1" -j"$jobs"
}

run_tests() { # folder
    MOSAIKO_SHARED_DIR="$shared" ctest --test-dir "$1" -j"$jobs" --output-on-failure \
        --timeout 600
}

cmd_run() {
    configure "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$root/build" -j"$jobs" --target mosaiko
    exec "$root/build/mosaiko" "$@"
}

cmd_test() {
    configure_and_build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    run_tests "$root/build"
}

cmd_asan() {
    configure_and_build "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DMOSAIKO_SANITIZE=ON \
        -DMOSAIKO_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
        LSAN_OPTIONS=suppressions="$root/.ci/lsan.supp":print_suppressions=0 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        run_tests "$root/build-asan"
}

cmd_fuzz() {
    local seconds=${1:-30}
    configure_and_build "$root/build-fuzz" -DMOSAIKO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    local target name work
    for target in "$root"/build-fuzz/fuzz/fuzz_*; do
        [ -x "$target" ] || continue
        name=${target##*/fuzz_}
        work="$root/.fuzz-work/$name"
        mkdir -p "$work"
        [ -d "$root/fuzz/seeds/$name" ] && cp -n "$root/fuzz/seeds/$name"/* "$work"/ 2>/dev/null || true
        [ -d "$shared/corpus/$name" ] && cp -n "$shared/corpus/$name"/* "$work"/ 2>/dev/null || true
        echo "== fuzz_$name for ${seconds}s"
        (cd "$work" && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 "$work")
    done
}

install_missing
case "${1:-test}" in
run) shift; cmd_run "$@" ;;
test) cmd_test ;;
asan) cmd_asan ;;
fuzz) shift; cmd_fuzz "$@" ;;
*) echo "usage: scripts/dev.sh [run [file]|test|asan|fuzz [seconds]]" >&2; exit 2 ;;
esac
