#!/bin/bash
# The real wizard beside orb-sim in a private network, through the setup steps: the factory
# recorder of the built-in scenario is secured, its time zone chosen with the mouse from the
# list, its drive pulled and plugged in again while page 10 looks, then formatted; the walk
# ends on the camera page. The simulator's journal must hold each request the steps make.
# Usage: walk_setup.sh ORB_WIZARD ORB_SIM SCREENS_DIR
set -euo pipefail
wizard=$1
sim=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"
e2e_init "$3"
start_display
start_wizard "$wizard" "$sim"
find_windows
recorder=10.77.0.10
password=Secret12

next() { click 478 557; }   # 448 + 30, 536 + 21
http() { echo "e['type'] == 'http' and e['target'] == '$1' and e['status'] == ${2:-200}"; }

wait_trace "page 1 shown: CHomeDlg"
click 574 401   # START
wait_trace "page 2 shown"
for page in 3 4 5 6 7; do
    next
    wait_trace "page $page shown"
done
wait_trace "recorder search ended: 1 rows"
next
wait_trace "password page mode: create"
wait_settled
type_text "$password"
key Tab
type_text "$password"
key Return

# Page 9: the list in English (4) and the recorder's current zone, then another one by mouse.
wait_trace "page 9 shown: CNvrTimeZoneDlg"
wait_trace "time zone list: 154 names, current 45"
wait_settled
journal_wait "$(http '/config/timezonelist?language=4')"
journal_wait "$(http /config/datetime)"
shot setup-09
click 540 218   # the field
wait_trace "time zone list open"
shot setup-09-list
# The third row shown (below the list's 2-pixel gap, padding and scroll area).
click 540 334
wait_trace "time zone chosen:"
zone=$(grep -oE 'time zone chosen: [0-9]+' "$wizard_log" | tail -1 | grep -oE '[0-9]+$')
[[ $zone != 45 ]] || fail "the click chose the zone that was already set"
# The drive is pulled before the step that watches it opens.
sim_set $recorder '{"drive": {"plug": "0", "ready": "0", "deviceName": ""}}'
next
wait_trace "page 10 shown: CHddFormatDlg"
journal_wait "$(http "/config/datetime?timezone=$zone")"
journal_wait "$(http '/config/manrecord?record=1')"
sim_state | python3 -c "
import json, sys
sys.exit(0 if json.load(sys.stdin)['recorders'][0]['currentZone'] == $zone else 1)" ||
    fail "the recorder did not take zone $zone"

# Page 10: no drive, then one plugged in while the page looks.
wait_trace "drive report: ready 0"
wait_settled
shot setup-10-no-drive
sim_set $recorder '{"drive": {"plug": "1", "ready": "1", "deviceName": "HD1"}}'
wait_trace "drive report: ready 1"
shot setup-10-ready
journal_wait "$(http '/config/storageinfo?storageid=0')"
journal_wait "$(http /config/datamatch)"

# Next: the warning, confirmed; the format runs under the waiting box.
opened=$(e2e_trace_count "waiting overlay open")
next
wait_trace "side page 5 open"
shot setup-10-warning
click 509 381   # OK: 210 + 240 + 59, 200 + 160 + 21
wait_trace "waiting overlay open" $((opened + 1))
shot setup-10-formatting
wait_trace "format result: done" 1 60
wait_trace "page 11 shown: CCameraSearchDlg"
journal_wait "$(http '/config/storageformat?storageid=0&partition=0&fs=1')"
journal_wait "$(http /config/storageformatpoll)"
shot setup-11

key Escape
wait_exit
[[ $wizard_status == 0 ]] || fail "exit code $wizard_status"
echo "walk setup: passed"
