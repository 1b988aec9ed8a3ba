#!/usr/bin/env bash
# The include check judged on small made-up trees in a temporary folder:
# each fault it must catch, and a tree in order that it must pass.
#
#   test_check_includes.sh <check-includes.py>
set -euo pipefail
check="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# put <tree> <file> <include>...: a source file with those quoted includes.
put() {
    local tree="$1" file="$2"
    shift 2
    mkdir -p "$tmp/$tree/$(dirname "$file")"
    : >"$tmp/$tree/$file"
    for inc in "$@"; do echo "#include \"$inc\"" >>"$tmp/$tree/$file"; done
}

# A tree in order: down through every layer, a .cpp beside its header,
# a system header and a library header that is not in the tree.
put good base/Reporter.h
put good protocol/Frames.h base/Reporter.h
put good measure/Decoder.h protocol/Frames.h
put good measure/Decoder.cpp measure/Decoder.h Decoder.h qcustomplot.h
put good widgets/PictureBox.h base/Reporter.h
put good measure/ui/Page.h widgets/PictureBox.h measure/Decoder.h
put good relay/ui/RelayPage.cpp measure/Decoder.h widgets/PictureBox.h
put good app/TForm1.cpp measure/ui/Page.h relay/ui/RelayPage.cpp
out="$(python3 "$check" --root "$tmp/good")" || fail "tree in order refused: $out"
grep -q '0 faults' <<<"$out" || fail "no count line: $out"

# expect <tree> <text>: the check fails and names the fault.
expect() {
    local out
    if out="$(python3 "$check" --root "$tmp/$1")"; then fail "$1 passed: $out"; fi
    grep -qF -- "$2" <<<"$out" || fail "$1 did not say '$2': $out"
}

put upward protocol/Parser.h measure/History.h
put upward measure/History.h
expect upward "protocol/Parser.h:1: measure/History.h: upward"

put sideways relay/ui/RelayPage.cpp measure/ui/TForm5.h
put sideways measure/ui/TForm5.h
expect sideways "sideways: relay/ui/ includes its sibling measure/ui/"

put outside measure/ChartFile.cpp tests/TestFiles.h
put outside tests/TestFiles.h
expect outside "outside the program"

# A circle inside one folder, closed through the .cpp files only.
put circle app/TForm1.h
put circle app/TForm1.cpp app/TForm1.h app/Pages.h
put circle app/Pages.h
put circle app/Pages.cpp app/Pages.h app/TForm1.h
expect circle "circle: app/Pages -> app/TForm1 -> app/Pages"

# The arrows between folders, with counts and the breach marked.
out="$(python3 "$check" --graph --root "$tmp/upward")"
grep -qE '^protocol +-> measure +1   UPWARD$' <<<"$out" || fail "graph: $out"

echo "include check: 6 trees judged"
