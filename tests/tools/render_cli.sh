#!/usr/bin/env bash
# quillmere-render's command line: pictures of the requested size, the mask, a window, and
# one-line errors that name the file, key or value, with exit code 2 for a bad command line
# and 1 for input that cannot be rendered. Needs no display.
# Usage: render_cli.sh QUILLMERE_RENDER BUTTON_BAG.json
set -euo pipefail
render=$1
bag=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
passed=0

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

expect() { # expect STATUS PATTERN COMMAND...: exit status and a stderr line matching PATTERN
    local want=$1 pattern=$2
    shift 2
    local status=0
    "$@" >"$work/out" 2>"$work/err" || status=$?
    ((status == want)) || fail "$* exited $status, not $want: $(cat "$work/err")"
    if [ -z "$pattern" ]; then
        [ ! -s "$work/out" ] && [ ! -s "$work/err" ] || fail "$* printed: $(cat "$work/out" "$work/err")"
    else
        [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$* did not print one line: $(cat "$work/err")"
        grep -q -- "^quillmere-render: .*$pattern" "$work/err" ||
            fail "$* did not say \"$pattern\": $(cat "$work/err")"
    fi
    passed=$((passed + 1))
}

png_size() { # WIDTHxHEIGHT from the PNG header
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] || fail "$1 is not a PNG"
    od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'
}

# A good render: the face and its mask, both of the requested size.
expect 0 "" "$render" --control gxButtons_H --bag "$bag" --size 121x41 --state pressed \
    --out "$work/b.png" --mask "$work/m.png"
[ "$(png_size "$work/b.png")" = 121x41 ] || fail "face is $(png_size "$work/b.png")"
[ "$(png_size "$work/m.png")" = 121x41 ] || fail "mask is $(png_size "$work/m.png")"
expect 0 "" "$render" --control gxButtons_H --bag "$bag" --size 60x90 --out "$work/c.png"
[ "$(png_size "$work/c.png")" = 60x90 ] || fail "face is $(png_size "$work/c.png")"

# At a device pixel ratio the face has the device pixels, the mask the control's; a scale factor
# given to the whole program draws the same picture.
expect 0 "" "$render" --control gxButtons_H --bag "$bag" --size 121x41 --dpr 1.5 \
    --out "$work/d.png" --mask "$work/dm.png"
[ "$(png_size "$work/d.png")" = 182x62 ] || fail "face at 1.5 is $(png_size "$work/d.png")"
[ "$(png_size "$work/dm.png")" = 121x41 ] || fail "mask at 1.5 is $(png_size "$work/dm.png")"
expect 0 "" "$render" --control gxButtons_H --bag "$bag" --size 121x41 --dpr 2 --out "$work/d2.png"
expect 0 "" env QT_SCALE_FACTOR=2 "$render" --control gxButtons_H --bag "$bag" --size 121x41 \
    --out "$work/e2.png"
cmp -s "$work/d2.png" "$work/e2.png" || fail "--dpr 2 and QT_SCALE_FACTOR=2 differ"

# A button that resizes itself is drawn at its own size: a slanted one too narrow for its slant
# widens in steps of 5 pixels (20 to 50 at a height of 40), a picture-shaped one takes the size
# of its picture fitted into the given size (64x40 in 80x40).
printf '{"Caption": "Go", "Shape": 1}' >"$work/slant.json"
expect 0 "" "$render" --control gxButtons_H --bag "$work/slant.json" --size 20x40 \
    --out "$work/s.png" --mask "$work/sm.png"
[ "$(png_size "$work/s.png")" = 50x40 ] || fail "slanted face is $(png_size "$work/s.png")"
[ "$(png_size "$work/sm.png")" = 50x40 ] || fail "slanted mask is $(png_size "$work/sm.png")"
cp "$(dirname "$bag")/shape.png" "$work/shape.png"
printf '{"Shape": 7, "ImgSize": 48, "Image": "shape.png"}' >"$work/pic.json"
expect 0 "" "$render" --control gxButtons_H --bag "$work/pic.json" --size 80x40 --out "$work/p.png"
[ "$(png_size "$work/p.png")" = 64x40 ] || fail "picture shape is $(png_size "$work/p.png")"

# A picture named relative to the bag file's folder.
cp "$(dirname "$bag")/../../resources/pictures/btn_login.png" "$work/own.png"
printf '{"Caption": "Own", "Image": "own.png", "ImgSize": 32}' >"$work/own.json"
expect 0 "" "$render" --control gxButtons_H --bag "$work/own.json" --size 121x41 --out "$work/o.png"
printf '{"Caption": "Gone", "Image": "gone.png"}' >"$work/gone.json"
expect 1 'gone.json: "Image" "gone.png" cannot be shown' "$render" --control gxButtons_H --bag "$work/gone.json" \
    --size 121x41 --out "$work/o.png"

# A whole window.
expect 0 "" "$render" --form frmMain --out "$work/main.png"
[ "$(png_size "$work/main.png" | cut -dx -f1)" = 720 ] || fail "frmMain is $(png_size "$work/main.png")"
expect 1 "frmNowhere.json" "$render" --form frmNowhere --out "$work/x.png"

# The picture viewer on a picture file: 400 x 300 unless a size is given, fitted or as it is.
picture="$(dirname "$bag")/../../resources/pictures/logo_software.png"
expect 0 "" "$render" --control ScrollPicture --picture "$picture" --out "$work/v.png"
[ "$(png_size "$work/v.png")" = 400x300 ] || fail "viewer is $(png_size "$work/v.png")"
expect 0 "" "$render" --control ScrollPicture --picture "$picture" --size 50x30 --zoom fit \
    --out "$work/w.png"
[ "$(png_size "$work/w.png")" = 50x30 ] || fail "viewer is $(png_size "$work/w.png")"
expect 1 "$work/none.png" "$render" --control ScrollPicture --picture "$work/none.png" \
    --out "$work/x.png"
expect 2 '"huge"' "$render" --control ScrollPicture --picture "$picture" --zoom huge \
    --out "$work/x.png"
expect 2 "needs --picture" "$render" --control ScrollPicture --out "$work/x.png"

# Input that cannot be rendered names the file and key.
expect 1 "$work/missing.json" "$render" --control gxButtons_H --bag "$work/missing.json" \
    --size 121x41 --out "$work/x.png"
printf '{"Caption": ' >"$work/broken.json"
expect 1 "broken.json: not valid JSON" "$render" --control gxButtons_H --bag "$work/broken.json" \
    --size 121x41 --out "$work/x.png"
printf '{"Caption": "x", "BackStyle": 12}' >"$work/style.json"
expect 1 'style.json: "BackStyle" 12 is out of range' "$render" --control gxButtons_H \
    --bag "$work/style.json" --size 121x41 --out "$work/x.png"
expect 1 "$work/nowhere/x.png" "$render" --control gxButtons_H --bag "$bag" --size 121x41 \
    --out "$work/nowhere/x.png"

# Limits: the largest picture a render is asked for, a bag nested too deep, a picture beyond
# the image library's decoding limit (lowered here to 4 MiB).
expect 0 "" "$render" --control gxButtons_H --bag "$bag" --size 8192x1 --out "$work/l.png"
[ "$(png_size "$work/l.png")" = 8192x1 ] || fail "long face is $(png_size "$work/l.png")"
for size in 32768x1 8193x8 1x8193 32767x32767; do
    expect 2 "--size: size \"$size\" is larger than 8192 x 8192" "$render" \
        --control gxButtons_H --bag "$bag" --size "$size" --out "$work/x.png"
done
expect 2 "--size: size \"9000x10\" is larger than 8192 x 8192" "$render" \
    --control ScrollPicture --picture "$bag" --size 9000x10 --out "$work/x.png"
{
    printf '{"Caption": "x", "Unused": '
    printf '[%.0s' {1..30000}
    printf ']%.0s' {1..30000}
    printf '}'
} >"$work/deep.json"
expect 1 "deep.json: objects and lists nest deeper than 64 levels" "$render" \
    --control gxButtons_H --bag "$work/deep.json" --size 121x41 --out "$work/x.png"
expect 0 "" "$render" --control gxButtons_H --bag "$bag" --size 2000x1000 --out "$work/big.png"
expect 1 "$work/big.png: picture too large: 2000 x 1000 needs 8 MiB, the limit is 4 MiB" \
    env QT_IMAGEIO_MAXALLOC=4 "$render" --control ScrollPicture --picture "$work/big.png" \
    --out "$work/x.png"
cp "$work/big.png" "$work/bigface.png"
printf '{"Caption": "Big", "Image": "bigface.png"}' >"$work/bigface.json"
expect 1 '"Image" "bigface.png" cannot be shown: .*bigface.png: picture too large' \
    env QT_IMAGEIO_MAXALLOC=4 "$render" --control gxButtons_H --bag "$work/bigface.json" \
    --size 121x41 --out "$work/x.png"
printf '{"Caption": "x", "Font": {"name": "Arial", "size": "big"}}' >"$work/font.json"
expect 1 'font.json: "Font" .* has a "size" that is not a number' "$render" \
    --control gxButtons_H --bag "$work/font.json" --size 121x41 --out "$work/x.png"
[ ! -e "$work/x.png" ] || fail "a failed render left $work/x.png"

# A bad command line.
expect 2 '"121by41"' "$render" --control gxButtons_H --bag "$bag" --size 121by41 --out "$work/x.png"
expect 2 '"0x41"' "$render" --control gxButtons_H --bag "$bag" --size 0x41 --out "$work/x.png"
expect 2 '"shiny".*normal, hover, pressed, focus, disabled, checked' "$render" \
    --control gxButtons_H --bag "$bag" --size 121x41 --state shiny --out "$work/x.png"
expect 2 '"Button"' "$render" --control Button --bag "$bag" --size 121x41 --out "$work/x.png"
expect 2 "needs --size" "$render" --control gxButtons_H --bag "$bag" --out "$work/x.png"
expect 2 "--form" "$render" --out "$work/x.png"
expect 2 "--mask goes with --control" "$render" --form frmMain --out "$work/x.png" --mask "$work/y.png"
expect 2 '--dpr: "fat"' "$render" --control gxButtons_H --bag "$bag" --size 121x41 --dpr fat \
    --out "$work/x.png"
expect 2 '--dpr: "0"' "$render" --control gxButtons_H --bag "$bag" --size 121x41 --dpr 0 \
    --out "$work/x.png"
expect 2 "--dpr goes with --control" "$render" --form frmMain --dpr 2 --out "$work/x.png"
expect 2 "no-such" "$render" --no-such --out "$work/x.png"
[ ! -e "$work/x.png" ] || fail "a failed render left $work/x.png"
echo "$passed passed, 0 failed"
