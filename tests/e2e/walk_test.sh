#!/bin/bash
# Starts the real wizard in a real X window (Xvfb) inside a private network namespace, checks
# the window geometry, presses START, walks to the LED help and back home through RESET, presses
# the close button with the mouse, and saves screenshots.
# Usage: walk_test.sh ORB_WIZARD SCREENS_DIR
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
# The flow trace tells when a page or side page is shown.
export QT_LOGGING_RULES="orb.flow.debug=true"
unshare --net "$wizard" >"$work/wizard.log" 2>&1 &
wizard_pid=$!

# Waits for the flow trace's line $1 (a fixed string) to appear for the $2-th time.
wait_trace() {
    local times=${2:-1}
    for _ in $(seq 200); do
        [[ $(grep -cF -- "$1" "$work/wizard.log" || true) -ge $times ]] && return 0
        sleep 0.05
    done
    fail "no trace line '$1' (x$times)"
}

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
wait_trace "page 1 shown"
accent_in_title "$screens/home.png" && fail "Home shows a title"

xdotool mousemove 581 408 click 1   # START: 366 + 208 + 7, 380 + 21 + 7
ok=""
for _ in $(seq 100); do
    if accent_in_title "$screens/page2.png"; then ok=1; break; fi
    sleep 0.05
done
[[ -n $ok ]] || fail "START did not reach page 2"

# A visible window of the wizard's with this size, if any.
window_sized() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$wizard_pid" 2>/dev/null || true); do
        eval "$(geometry_of "$w")"
        if [[ ${WIDTH}x$HEIGHT == "$1" ]]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
wait_for_window() {
    for _ in $(seq 200); do window_sized "$1" >/dev/null && return 0; sleep 0.05; done
    fail "no $1 window appeared ($2)"
}

# Next on pages 2 to 5 (Next starts at 448, 536), then page 6's LED link, the LED help's reset
# link and RESET: the wizard is home again.
wait_trace "page 2 shown"
for page in 3 4 5 6; do
    xdotool mousemove 485 564 click 1
    wait_trace "page $page shown"
done
xdotool mousemove 123 422 click 1   # page 6's link: 76 + 40 + 7, 376 + 39 + 7
wait_trace "side page 2 open"
wait_for_window 598x360 "the LED help"
import -window root "$screens/led.png"
xdotool mousemove 288 398 click 1   # the LED help at 7 + 131, 7 + 140; its link at 150, 251
wait_trace "side page 3 open"
wait_for_window 648x410 "the reset help"
import -window root "$screens/reset.png"
xdotool mousemove 462 488 click 1   # RESET: 138 + 324, 147 + 320 + 21
wait_trace "side page 3 closed: 1"
wait_trace "side page 2 closed: 1"
wait_trace "page 1 shown" 2
for _ in $(seq 200); do window_sized 598x360 >/dev/null || break; sleep 0.05; done
window_sized 598x360 >/dev/null && fail "the LED help stayed open after RESET"
import -window root "$screens/home-again.png"

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
