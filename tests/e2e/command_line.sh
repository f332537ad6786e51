#!/usr/bin/env bash
# The command line and bad input: clear messages, the right exit codes, no crash.
set -euo pipefail
quillmere=$1
portal=$2
source "$(dirname "$0")/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
touch "$work/empty.ini"
passed=0

expect() {  # expect STATUS PATTERN COMMAND...
    local want=$1 pattern=$2
    shift 2
    local status=0
    # Bounded: a program that never exits fails here instead of holding the suite.
    timeout -k 5 60 "$@" >"$work/out" 2>&1 || status=$?
    ((status == want)) || fail "$* exited $status, not $want: $(cat "$work/out")"
    grep -q -- "$pattern" "$work/out" || fail "$* did not say \"$pattern\": $(cat "$work/out")"
    passed=$((passed + 1))
}

expect 2 "invalid portal address" "$quillmere" --config "$work/empty.ini" --portal "not a url"
expect 2 "invalid portal address" "$quillmere" --config "$work/empty.ini" --portal "ftp://x/"
expect 2 "configuration file not found" "$quillmere" --config "$work/missing.ini"
# An option without its value is a usage error naming the option, never a run without end.
expect 2 "--screenshot: no value given" "$quillmere" --config "$work/empty.ini" --screenshot=
expect 2 "--screenshot: no value given" "$quillmere" --config "$work/empty.ini" --screenshot
expect 2 "--design-dir: $work/nowhere: no such folder" \
    "$quillmere" --config "$work/empty.ini" --design-dir "$work/nowhere"
# A settings file that cannot be parsed names its line.
printf '[portal]\nurl=http://127.0.0.1:1\n[webmail\n' >"$work/broken.ini"
expect 2 "$work/broken.ini: line 3 \"\[webmail\": the section name has no closing" \
    "$quillmere" --config "$work/broken.ini"
expect 0 "--portal" "$quillmere" --help
expect 0 "Quillmere 2.0" "$quillmere" --version

# A broken design file names the file and the key.
mkdir -p "$work/design/forms"
printf '{"caption": "x", "clientWidth": "wide", "clientHeight": 10, "border": "fixedSingle"}' \
    >"$work/design/forms/frmMain.json"
expect 1 'frmMain.json: key "clientWidth"' \
    "$quillmere" --config "$work/empty.ini" --design-dir "$work/design" --screenshot "$work/x.png"
# A number no double can hold, and a button wider than can be drawn: refused naming the file
# (and the key), not a crash.
printf '{"caption": "x", "clientWidth": 1e999, "clientHeight": 10}' >"$work/design/forms/frmMain.json"
expect 1 'frmMain.json: not valid JSON (a number too large to read)' \
    "$quillmere" --config "$work/empty.ini" --design-dir "$work/design" --screenshot "$work/x.png"
printf '{"caption": "x", "clientWidth": 4800, "clientHeight": 3600, "border": "fixedSingle",
    "controls": [{"type": "gxButtons_H", "name": "gxButtons_H1", "rect": [0, 0, 491520, 615]}]}' \
    >"$work/design/forms/frmMain.json"
expect 1 'frmMain.json: .*gxButtons_H1.*width 491520 twips is 32768 pixels' \
    "$quillmere" --config "$work/empty.ini" --design-dir "$work/design" --screenshot "$work/x.png"
# A stored value a control cannot use is named with its file, control and key, and the window
# opens without it.
python3 - "$(dirname "$0")/../../resources/forms/frmMain.json" "$work/design/forms/frmMain.json" \
    <<'END'
import json, sys
with open(sys.argv[1]) as f:
    design = json.load(f)
def find(controls, name):
    for c in controls:
        if c["name"] == name:
            return c
        found = find(c.get("children", []), name)
        if found:
            return found
find(design["controls"], "EBXp6")["bag"]["Icon"] = "pictures/gone.png"
with open(sys.argv[2], "w") as f:
    json.dump(design, f)
END
expect 0 'quillmere: frmMain.json: EBXp6: "Icon" "pictures/gone.png" cannot be shown' \
    "$quillmere" --config "$work/empty.ini" --design-dir "$work/design" --screenshot "$work/x.png"
[ -s "$work/x.png" ] || fail "no screenshot of a window with one bad value"

# The screenshot needs no display and shows the menu bar and the 720 px client area.
expect 0 "" "$quillmere" --config "$work/empty.ini" --screenshot "$work/main.png"
[ "$(head -c 8 "$work/main.png" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] || fail "not a PNG"
width=$(od -An -tu1 -j16 -N4 "$work/main.png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
((width == 720)) || fail "screenshot is $width px wide"

expect 2 "" "$portal" --no-such-option
echo "$passed passed, 0 failed"
