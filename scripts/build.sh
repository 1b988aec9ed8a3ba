#!/usr/bin/env bash
# scripts/build.sh BUILD_DIR [cmake options...]
# Installs what is missing, configures and builds the project in BUILD_DIR.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$1"
shift
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
