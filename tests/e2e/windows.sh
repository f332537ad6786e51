# Shared by the end-to-end scripts that walk the program's windows: finding a form's window and
# clicking its controls where a person would. Needs $designs (the design files' folder) and
# $here (this folder).

declare -A title=(
    [frmMain]='Quillmere 2.0 Full' [frmToolbar]='Assignment Tool' [Form1]='Schedule'
    [Form2]='  Attendance Records' [Form3]='  Student Information ' [Form4]='Student Login'
    [Form5]='School Administration Managment Console' [Form6]='eMail' [Form7]='About'
    [Form8]='Report Cards' [Form9]=''
)
declare -A client_height=(
    [frmMain]=431 [frmToolbar]=552 [Form1]=361 [Form2]=449 [Form3]=448 [Form4]=304 [Form5]=520
    [Form6]=497 [Form7]=204 [Form8]=496 [Form9]=424
)

# The visible window of a form, looked up at every use (a window that is unloaded and shown
# again has a new one). The questions
# window has no caption: it is told from menus and tooltips by its size.
window_of() {
    local form=$1 w
    if [ -z "${title[$form]}" ]; then
        for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            if ((WIDTH == 481 && HEIGHT == 424)); then
                echo "$w"
                return 0
            fi
        done
        return 1
    fi
    local pattern
    pattern="^$(printf '%s' "${title[$form]}" | sed 's/[].[()*+?^$|\\]/\\&/g')\$"
    w=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
    [ -n "$w" ] && echo "$w"
}
is_open() { window_of "$1" >/dev/null; }
is_closed() { ! is_open "$1"; }

wait_open() {
    wait_for 60 is_open "$1" || fail "window $1 (\"${title[$1]}\") did not appear"
    echo "opened $1"
}

# click FORM CONTROL [title]: raises the form's window and clicks the control (or the title bar
# of panel CONTROL) where a person would.
click() {
    local form=$1 control=$2 where wid x y
    where=$(python3 "$here/where.py" "$designs/$form.json" "$control" ${3:+"$3"}) ||
        fail "no control $control in $form"
    read -r x y <<<"$where"
    wait_for 30 is_open "$form" || fail "window $form is not open"
    wid=$(window_of "$form")
    xdotool windowraise "$wid"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    y=$((y + HEIGHT - ${client_height[$form]}))  # below the menu bar, if any
    xdotool mousemove --window "$wid" "$x" "$y" click 1
}

# menu FORM KEYS...: opens the form's first menu ("File") and types KEYS in it.
menu() {
    local form=$1 wid bar
    shift
    wid=$(window_of "$form")
    xdotool windowraise "$wid"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    bar=$((HEIGHT - ${client_height[$form]}))
    xdotool mousemove --window "$wid" 15 $((bar / 2)) click 1
    popup_open() { xdotool search --onlyvisible --name '^$' 2>/dev/null | grep -q .; }
    wait_for 10 popup_open || true
    xdotool key "$@"
}

