#!/bin/bash
# Starts the real wizard in a real X window (Xvfb) in a network namespace of its own, with no
# network at all (nothing on pages 1 to 6 needs one), checks the window geometry, presses START,
# walks to the LED help and back home through RESET, presses the close button with the mouse,
# and saves screenshots.
# Usage: walk_test.sh ORB_WIZARD SCREENS_DIR
set -euo pipefail
wizard=$1
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$2"
start_display
start_wizard_offline "$wizard"
find_windows

# The title area of page 2 carries the accent blue; Home has no title there.
accent_in_title() {
    shot "$1"
    local count
    count=$(convert "$E2E_SCREENS/$1.png" -crop 600x38+72+68 +repage \
            -fill black +opaque 'rgb(42,169,209)' -fill white -opaque 'rgb(42,169,209)' \
            -format '%[fx:int(mean*w*h)]' info:)
    [[ $count -gt 50 ]]
}
wait_trace "page 1 shown"
accent_in_title home && fail "Home shows a title"

click 574 401   # START: 366 + 208, 380 + 21
poll "$e2e_bound" accent_in_title page2 || fail "START did not reach page 2"

# Next on pages 2 to 5 (Next starts at 448, 536), then page 6's LED link, the LED help's reset
# link and RESET: the wizard is home again.
wait_trace "page 2 shown"
for page in 3 4 5 6; do
    click 478 557
    wait_trace "page $page shown"
done
click 116 415   # page 6's link: 76 + 40, 376 + 39
wait_trace "side page 2 open"
wait_window 598x360 "the LED help"
shot led
click 281 391   # the LED help at 131, 140; its link at 150, 251
wait_trace "side page 3 open"
wait_window 648x410 "the reset help"
shot reset
click 455 481   # RESET: 131 + 324, 140 + 320 + 21
wait_trace "side page 3 closed: 1"
wait_trace "side page 2 closed: 1"
wait_trace "page 1 shown" 2
led_gone() { ! window_sized 598x360 >/dev/null; }
poll "$e2e_bound" led_gone || fail "the LED help stayed open after RESET"
shot home-again

click 841 14    # close: 823 + 18, 14
wait_exit
[[ $wizard_status == 0 ]] || fail "exit code $wizard_status"
[[ -s $E2E_WORK/data/ORB-780Z.ico ]] || fail "no icon file in the application-data folder"
echo "1 passed, 0 failed"
