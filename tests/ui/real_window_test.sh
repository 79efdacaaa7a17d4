#!/bin/bash
# Starts the real wizard in a real X window (Xvfb) inside a private network namespace, checks
# the window geometry, presses START and the close button with the mouse, and saves screenshots.
# Usage: real_window_test.sh ORB_WIZARD SCREENS_DIR
set -euo pipefail
wizard=$1
screens=$2
mkdir -p "$screens"
work=$(mktemp -d)
xvfb_pid=""
wizard_pid=""
cleanup() {
    [[ -n $wizard_pid ]] && kill "$wizard_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [[ -f $work/wizard.log ]] && tail -80 "$work/wizard.log" >&2
    exit 1
}

# A display of our own; only its socket file reaches the namespace.
for n in $(seq 140 199); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    display=:$n
    break
done
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -nolisten unix-abstract >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"

export XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/system TMPDIR=$work XDG_RUNTIME_DIR=$work
unshare --net "$wizard" >"$work/wizard.log" 2>&1 &
wizard_pid=$!

# Both windows are named "Setup Wizard"; wait until the host (860 x 640) is mapped.
geometry_of() { xdotool getwindowgeometry --shell "$1"; }
host="" outer=""
for _ in $(seq 200); do
    for w in $(xdotool search --onlyvisible --name '^Setup Wizard$' 2>/dev/null || true); do
        eval "$(geometry_of "$w")"
        [[ $WIDTH == 860 && $HEIGHT == 640 ]] && host=$w
        [[ $WIDTH == 874 && $HEIGHT == 654 ]] && outer=$w
    done
    [[ -n $host && -n $outer ]] && break
    sleep 0.05
done
[[ -n $host ]] || fail "the host window (860 x 640) did not appear"
[[ -n $outer ]] || fail "the outer window (874 x 654) did not appear"
eval "$(geometry_of "$outer")"
[[ $X == 0 && $Y == 0 ]] || fail "outer window at $X,$Y, expected 0,0"
eval "$(geometry_of "$host")"
[[ $X == 7 && $Y == 7 ]] || fail "host window at $X,$Y, expected 7,7"

# The title area of page 2 carries the accent blue; Home has no title there.
accent_in_title() {
    import -window root "$1"
    local count
    count=$(convert "$1" -crop 600x38+79+75 +repage -fill black +opaque 'rgb(42,169,209)' \
            -fill white -opaque 'rgb(42,169,209)' -format '%[fx:int(mean*w*h)]' info:)
    [[ $count -gt 50 ]]
}
sleep 0.3
accent_in_title "$screens/home.png" && fail "Home shows a title"

xdotool mousemove 581 408 click 1   # START: 366 + 208 + 7, 380 + 21 + 7
ok=""
for _ in $(seq 100); do
    if accent_in_title "$screens/page2.png"; then ok=1; break; fi
    sleep 0.05
done
[[ -n $ok ]] || fail "START did not reach page 2"

xdotool mousemove 848 21 click 1    # close: 823 + 18 + 7, 14 + 7
for _ in $(seq 200); do kill -0 "$wizard_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$wizard_pid" 2>/dev/null && fail "close did not end the program"
set +e
wait "$wizard_pid"
code=$?
set -e
wizard_pid=""
[[ $code == 0 ]] || fail "exit code $code"
[[ -s $work/data/ORB-780Z.ico ]] || fail "no icon file in the application-data folder"
echo "1 passed, 0 failed"
