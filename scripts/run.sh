#!/usr/bin/env bash
# Builds the program on a fresh machine and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" "$root/build"
exec "$root/build/app/obr9" "$@"
