#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR with prefix /usr, checks the
# tree and starts the installed obr9 offscreen from an unrelated working
# folder: it must show its window, find its relay pictures and close cleanly.
#
#   test_install.sh <build dir>
set -euo pipefail
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >"$tmp/install.log" \
    || { cat "$tmp/install.log" >&2; fail "cmake --install"; }
usr="$tmp/root/usr"

for f in bin/obr9 bin/obr9-sim; do
    [[ -x "$usr/$f" ]] || fail "$f missing or not executable"
done
for kind in relay lamp fan pump heater valve; do
    for state in on off; do
        [[ -s "$usr/share/obr9/Icons/${kind}_${state}.bmp" ]] || fail "picture ${kind}_${state}.bmp missing"
    done
done
desktop="$usr/share/applications/obr9.desktop"
[[ -f "$desktop" ]] || fail "desktop entry missing"
grep -qx 'Exec=obr9' "$desktop" || fail "desktop entry does not start obr9"
grep -qx 'Icon=obr9' "$desktop" || fail "desktop entry names no obr9 icon"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is no application"
icon="$usr/share/icons/hicolor/256x256/apps/obr9.png"
[[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" == "89504e470d0a1a0a" ]] || fail "icon is no PNG"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
unit="$tmp/root/usr/lib/systemd/system/obr9-gateway@.service"
[[ -f "$unit" ]] || fail "gateway unit missing"
grep -qx 'EnvironmentFile=/etc/obr9/%i.conf' "$unit" || fail "gateway unit reads no /etc/obr9/NAME.conf"
grep -q '^ExecStart=/usr/bin/obr9 --headless ' "$unit" || fail "gateway unit does not start obr9 --headless"
grep -q '^OBR9_OPTIONS=' "$usr/share/doc/obr9/gateway.conf.example" || fail "gateway example missing"
# Nothing from the build tree may end up in the install.
[[ -z "$(find "$tmp/root" -name '*.a' -o -name 'test_*' | head -n 1)" ]] || fail "build leftovers installed"

"$usr/bin/obr9-sim" --help >"$tmp/sim-help.txt" || fail "installed obr9-sim --help"
grep -q -- '--modules-on-link' "$tmp/sim-help.txt" || fail "obr9-sim help lacks --modules-on-link"

# The installed program, started elsewhere, with a home of its own.
mkdir -p "$tmp/work" "$tmp/home"
cd "$tmp/work"
status=0
HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" QT_QPA_PLATFORM=offscreen \
    OBR9_CLOSE_AFTER_MS=300 timeout 30 "$usr/bin/obr9" >"$tmp/obr9.log" 2>&1 || status=$?
if ((status != 0)); then
    cat "$tmp/obr9.log" >&2
    fail "installed obr9 exited with $status"
fi
# The close saved the settings: beside the executable or, where /usr/bin
# cannot be written, in the per-user folder.
ini="$(find "$usr/bin" "$tmp/home" -name obr9.ini 2>/dev/null | head -n 1 || true)"
[[ -n "$ini" ]] || fail "no settings written at close"
echo "installed tree and program OK (settings in ${ini#"$tmp"/})"
