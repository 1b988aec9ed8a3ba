#!/usr/bin/env bash
# The demonstration's first run: gives the first VK8 module's eight outputs
# pictures from Icons/ (off and on), names and modes, so that an operator
# sees a relay switch. Only when PROGRAM has no settings file beside it yet
# (PROGRAM's path with ".ini" for its extension); an existing file is never
# touched.
#
# Once a settings file exists the program takes every key from it, and a key
# the file lacks reads as "0" rather than as the program's own default: a
# file with the relay keys alone would rename every channel "0". So the
# program writes its defaults first (one offscreen start that closes itself
# and saves, with a per-user folder of its own so that no other settings
# leak in), and then outputs 0..7 get their relay keys in that file.
#
#   scripts/seed-demo-settings.sh PROGRAM
set -euo pipefail
program="$1"
dir="$(dirname "$program")"
name="$(basename "$program")"
[[ "$name" == *.* ]] && name="${name%.*}"
ini="$dir/$name.ini"
[[ -e "$ini" ]] && exit 0

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# Its exit status does not matter here, only the file it left.
(cd "$tmp" && XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=offscreen OBR9_CLOSE_AFTER_MS=100 \
    timeout 30 "$program") >"$tmp/log" 2>&1 || true
if [[ ! -f "$ini" ]]; then
    echo "no demonstration settings: the program did not write $ini" >&2
    cat "$tmp/log" >&2
    exit 0
fi

# Output n is output n of the module at bus address 0. Modes: 0 on while the
# picture is held, 1 each click switches, 2 on for outTime seconds.
names=(Lamp Fan Heater Pump Valve "Relay 6" "Relay 7" "Relay 8")
pictures=(lamp fan heater pump valve relay relay relay)
modes=(1 1 2 0 1 1 1 0)
times=(0 0 10 0 0 0 0 0)
edits=()
for n in 0 1 2 3 4 5 6 7; do
    edits+=(-e "s/^outName$n=.*/outName$n=${names[n]}\r/"
            -e "s/^ImgOffName$n=.*/ImgOffName$n=${pictures[n]}_off.bmp\r/"
            -e "s/^ImgOnName$n=.*/ImgOnName$n=${pictures[n]}_on.bmp\r/"
            -e "s/^outMode$n=.*/outMode$n=${modes[n]}\r/"
            -e "s/^outTime$n=.*/outTime$n=${times[n]}\r/")
done
sed "${edits[@]}" "$ini" >"$tmp/seeded.ini"
mv "$tmp/seeded.ini" "$ini"
echo "demonstration settings written to $ini"
