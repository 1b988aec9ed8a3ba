#!/usr/bin/env bash
# Builds the program on a fresh machine and starts it beside the simulated
# controller. The program runs in build/run/, whose address history offers
# 127.0.0.1; tick "connect" and the simulator identifies itself.
# The simulator also plays the RS-485 modules (HQ-2, VK8) on a
# pseudo-terminal, which the program's port list offers through
# OBR9_EXTRA_PORTS, and forwards the HQ-2 frames on its TCP link.
#
#   scripts/run.sh [program arguments]
#   OBR9_SIM_ARGS="--sensor th --garbage" scripts/run.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" "$root/build"

run_dir="$root/build/run"
mkdir -p "$run_dir"
if [[ ! -f "$run_dir/Ip addresses.txt" ]]; then
    printf '127.0.0.1\r\n' >"$run_dir/Ip addresses.txt"
fi

sim_log="$run_dir/obr9-sim.log"
# What the demonstration needs on top of OBR9_SIM_ARGS; tests start the
# simulator with the same options (tests/app/test_demo.cpp).
demo_sim_args="--modules-pty --modules-on-link"
start_sim() {
    # shellcheck disable=SC2086
    "$root/build/sim/obr9-sim" --port "$1" $demo_sim_args ${OBR9_SIM_ARGS:-} >"$sim_log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do
        if grep -q '^listening' "$sim_log"; then return 0; fi
        if ! kill -0 "$sim_pid" 2>/dev/null; then return 1; fi
        sleep 0.1
    done
    return 1
}
# The program's default port is 8090; another port has to be typed into "Port".
if ! start_sim 8090; then
    start_sim 0 || { cat "$sim_log" >&2; exit 1; }
fi
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
echo "simulator: $(grep '^listening' "$sim_log") (log in $sim_log)"
module_port="$(sed -n 's/^module port //p' "$sim_log" | head -n 1)"
if [[ -n "$module_port" ]]; then
    echo "modules: $module_port (offered in the port list)"
    export OBR9_EXTRA_PORTS="$module_port${OBR9_EXTRA_PORTS:+:$OBR9_EXTRA_PORTS}"
fi

# First run only: the VK8 page's first module gets pictures, names and modes
# (build/app/obr9.ini; an existing one is left as it is).
bash "$root/scripts/seed-demo-settings.sh" "$root/build/app/obr9"

cd "$run_dir"
"$root/build/app/obr9" "$@"
