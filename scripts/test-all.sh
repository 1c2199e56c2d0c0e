#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs the whole test suite:
#   build/       gcc: both programs, every unit, window and end-to-end test, benchmarks built
#   build-tsan/  clang: the Qt-free libraries' tests under ThreadSanitizer
#   build-fuzz/  clang: every fuzz target, each for a short bounded run
# Exits non-zero when any tree fails to build or any test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh || exit 1

jobs=$(nproc)
status=0
summary=()

run_tree() {  # name dir configure-args... -- ctest-prefix...
    local name=$1 dir=$2
    shift 2
    local cfg=() pre=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do cfg+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    pre=("$@")
    echo "=== $name: configure and build"
    mkdir -p "$dir"
    if ! cmake -S . -B "$dir" -G Ninja "${cfg[@]}" >"$dir/configure.log" 2>&1; then
        cat "$dir/configure.log"; status=1; summary+=("$name: configure FAILED"); return
    fi
    if ! cmake --build "$dir" -j "$jobs"; then
        status=1; summary+=("$name: build FAILED"); return
    fi
    echo "=== $name: tests"
    if "${pre[@]}" ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600; then
        summary+=("$name: passed"); echo "=== $name: passed"
    else
        status=1; summary+=("$name: tests FAILED")
    fi
}

# clang 14's ThreadSanitizer cannot map its shadow under a high address-randomisation
# setting; setarch -R runs the tests without randomisation.
tsan_prefix=()
if setarch "$(uname -m)" -R true 2>/dev/null; then tsan_prefix=(setarch "$(uname -m)" -R); fi

run_tree tsan build-tsan -DTRAWLIX_MODE=tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -- "${tsan_prefix[@]}"
run_tree fuzz build-fuzz -DTRAWLIX_MODE=fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 --
run_tree app build -DCMAKE_BUILD_TYPE=RelWithDebInfo --

# The app tree's ctest summary closes the output; the other trees' results come before it.
[ $status -ne 0 ] && printf 'FAILED: %s\n' "${summary[@]}" >&2
exit $status
