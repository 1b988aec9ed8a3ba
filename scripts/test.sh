#!/usr/bin/env bash
# Builds from scratch on a fresh machine and runs every test.
#
#   scripts/test.sh              g++ build in build/, all tests
#   scripts/test.sh --sanitize   clang build with AddressSanitizer and
#                                UndefinedBehaviorSanitizer in build-asan/,
#                                all tests plus a bounded run of every fuzzer
#   --werror                     warnings are errors (CI)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

sanitize=0
werror=OFF
for arg in "$@"; do
    case "$arg" in
        --sanitize) sanitize=1 ;;
        --werror) werror=ON ;;
        *) echo "usage: $0 [--sanitize] [--werror]" >&2; exit 2 ;;
    esac
done

if ((sanitize)); then
    build_dir="$root/build-asan"
    bash "$root/scripts/build.sh" "$build_dir" \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug -DOBR9_SANITIZE=ON -DOBR9_FUZZ=ON -DOBR9_WERROR="$werror"
else
    build_dir="$root/build"
    bash "$root/scripts/build.sh" "$build_dir" -DOBR9_WERROR="$werror"
fi

cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)"
