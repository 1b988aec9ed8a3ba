#!/usr/bin/env bash
# The plant gateway's publish rate and CPU share: mosquitto on a free
# 127.0.0.1 port, obr9-sim with its modules on a pseudo-terminal, and
# `obr9 --headless` with the controller, the module port, recording and
# MQTT. A mosquitto_sub on PREFIX/# counts what arrives for SECONDS; the
# gateway's CPU time over the same span comes from /proc.
#
#   bench/bench_gateway.sh [build dir] [seconds] [obr9-sim options...]
#   bench/bench_gateway.sh build 60              # the simulator's normal rate
#   bench/bench_gateway.sh build 30 --fast       # every frame every 100 ms
#
# Every process started here is ended here, by its own pid.
set -euo pipefail
build="${1:-build}"
seconds="${2:-30}"
shift $(( $# >= 2 ? 2 : $# ))
tmp="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\nlog_dest none\n' "$port" >"$tmp/broker.conf"
mosquitto -c "$tmp/broker.conf" & pids+=($!)
"$build/sim/obr9-sim" --port 0 --modules-pty "$@" >"$tmp/sim.out" & pids+=($!)
for _ in $(seq 50); do grep -q '^listening' "$tmp/sim.out" && break; sleep 0.1; done
controller=$(sed -n 's/^listening \(.*\)$/\1/p' "$tmp/sim.out")
modules=$(sed -n 's/^module port \(.*\)$/\1/p' "$tmp/sim.out")

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$build/app/obr9" --headless \
    --controller "$controller" --modules "$modules" --record "$tmp/record" \
    --mqtt "127.0.0.1:$port" --mqtt-prefix bench 2>"$tmp/gateway.log" & gateway=$!
pids+=($gateway)
sleep 3
ticks() { awk '{ print $14 + $15 }' "/proc/$gateway/stat"; }
before=$(ticks)
timeout "$seconds" mosquitto_sub -h 127.0.0.1 -p "$port" -t 'bench/#' -v >"$tmp/seen.txt" || true
after=$(ticks)
messages=$(wc -l <"$tmp/seen.txt")
hz=$(getconf CLK_TCK)
python3 - "$messages" "$seconds" "$before" "$after" "$hz" "$(awk '/VmRSS/ { print $2 }' "/proc/$gateway/status")" <<'PY'
import sys
messages, seconds, before, after, hz, rss = map(float, sys.argv[1:])
print(f"messages seen {int(messages)} in {int(seconds)} s: {messages / seconds:.0f}/s; "
      f"gateway CPU {100 * (after - before) / hz / seconds:.2f} % of one core; RSS {int(rss)} kB")
PY
