#!/bin/bash
# The real wizard beside orb-sim in a private network, through the setup steps: the factory
# recorder of the built-in scenario is secured, its time zone chosen with the mouse from the
# list, its drive pulled and plugged in again while page 10 looks, then formatted; on the
# camera page one camera is previewed, one ticked with its password typed and one with a
# password made for it, and Next adds both; on the cloud page the installer signs in, and the
# summary's FINISH leaves the shortcut to the recorder's portal page on the desktop and ends the
# wizard with exit code 0. The simulator's journal must hold each request the steps make.
# Usage: walk_setup.sh ORB_WIZARD ORB_SIM SCREENS_DIR
set -euo pipefail
wizard=$1
sim=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"
e2e_init "$3"
rm -f "$E2E_SCREENS"/setup-*.png  # the contact sheet takes every picture there
start_display
start_wizard "$wizard" "$sim"
find_windows
recorder=10.77.0.10
password=Secret12

next() { click 478 557; }   # 448 + 30, 536 + 21
# Camera rows: the list sits 40 px lower for the three lines of the English description; rows
# of 36 px start below the 34-px header.
camera_row() { echo $((208 + 34 + 36 * $1 + 18)); }
camera_box=182      # 80 + 86 + 16
camera_preview=485  # 80 + 392 + 13
http() { echo "e['type'] == 'http' and e['target'] == '$1' and e['status'] == ${2:-200}"; }

# The second camera's password is not listed (it is asked for); the third has an account
# without a password (one is made for it).
sim_set 10.77.0.22 '{"password": ""}'
sim_set 10.77.0.23 '{"account": "root"}'
# The recorder's number on the portal, which names the shortcut.
sim_set $recorder '{"portal": {"portalNumber": "NB4471"}}'

# For the benchmark (bench/walk_figures.sh): memory at two points and the stalls seen.
figure() { [[ -z ${E2E_FIGURES:-} ]] || echo "$*" >>"$E2E_FIGURES"; }
pss() { awk '/^Pss:/ {print $2}' "/proc/$wizard_pid/smaps_rollup"; }

wait_trace "page 1 shown: CHomeDlg"
wait_trace "home first frame"
figure "pss home $(pss)"
shot setup-01
click 574 401   # START
wait_trace "page 2 shown"
shot setup-02
for page in 3 4 5 6 7; do
    next
    wait_trace "page $page shown"
    [[ $page == 7 ]] || shot "setup-0$page"
done
wait_trace "recorder search ended: 1 rows"
wait_settled
shot setup-07
next
wait_trace "password page mode: create"
wait_settled
type_text "$password"
key Tab
type_text "$password"
shot setup-08
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

# Page 11: the recorder's three cameras.
wait_trace "camera list: 3 cameras"
wait_trace "camera scan ended"
journal_wait "$(http /config/nubradiscovery)"
shot setup-11
click $camera_preview "$(camera_row 0)"
wait_trace "side page 8 open"
wait_trace "preview frame:"
shot setup-11-preview
key Escape
wait_settled

click $camera_box "$(camera_row 1)"
wait_trace "camera password page shown: CCameraPwdPage"
type_text garage22
key Return
wait_trace "camera ticked: 10.77.0.22"
wait_trace "camera password page closed: 1"
journal_wait "$(http '/config/avdevdetect?hostname=10.77.0.22&account=YWRtaW4=&pass=Z2FyYWdlMjI=&brand=Orbis&protocol=cgi&product=OC-420')"

click $camera_box "$(camera_row 2)"
wait_trace "camera password page shown: CCameraPwd2Page"
type_text Yard2024
key Tab
type_text Yard2024
key Return
wait_trace "camera ticked: 10.77.0.23"
wait_trace "camera password page closed: 1" 2
shot setup-11-ticked
sim_state | python3 -c "
import json, sys
cameras = json.load(sys.stdin)['recorders'][0]['cameras']
sys.exit(0 if cameras[2]['adminPassword'] == 'Yard2024' else 1)" ||
    fail "the third camera did not take its new password"

next
wait_trace "cameras added: 2, not added: 0" 1 60
wait_trace "page 12 shown: CNubraServiceDlg"
figure "pss cameras $(pss)"
journal_wait "$(http /config/nubrareginfo)"
journal_wait "$(http /config/nubraportal)"
journal_wait "e['type'] == 'http' and e['target'].startswith('/config/avdevchangepassword?') and e['status'] == 200"
journal_wait "$(http '/config/delavdev?avdevid=0')"
journal_wait "e['type'] == 'http' and e['target'].startswith('/config/addavdev?avdevid=0&avdevname=OC-420&hostname=10.77.0.22&') and e['status'] == 200"
journal_wait "e['type'] == 'http' and e['target'].startswith('/config/addavdev?avdevid=1&avdevname=OC-100&hostname=10.77.0.23&') and e['status'] == 200"
shot setup-12

# Page 12: sign in with the portal's account; the recorder is bound and told the account.
click 552 242   # the e-mail box: 364 + 188, 232 + 10
type_text installer@example.com
key Tab
type_text Portal-2024
shot setup-12-filled
key Return
wait_trace "cloud attempt: sign in"
wait_trace "cloud linked" 1 60
wait_trace "page 13 shown: CSummaryDlg"
portal() { echo "e['type'] == 'http' and e['device'] == 'portal' and e['target'] == '$1' and e['status'] == 200"; }
journal_wait "$(portal '/account/?signin')"
journal_wait "$(portal '/account/?add')"
journal_wait "$(http '/config/nubraregstatus?status=1')"
journal_wait "$(http '/config/nubrareginfo?email=installer@example.com&password=Portal-2024&status=1')"
wait_trace "summary shown: 2 cameras, cloud: yes"
shot setup-13

# FINISH: the shortcut to the recorder's page on the portal, then the wizard ends.
click 568 525   # 448 + 120, 504 + 21
wait_trace "shortcut: ORB-780Z(NB4471).desktop -> https://10.77.0.100/device#NB4471?lang=en"
wait_exit
[[ $wizard_status == 0 ]] || fail "exit code $wizard_status"
if [[ -n ${E2E_FIGURES:-} ]]; then
    grep -F 'stall:' "$wizard_log" >>"$E2E_FIGURES" || true
    # The whole flow trace, for the step latencies.
    cp "$wizard_log" "$E2E_FIGURES.trace"
fi
link="$E2E_DESKTOP/ORB-780Z(NB4471).desktop"
[[ -f $link ]] || fail "no shortcut on the desktop: $(ls -A "$E2E_DESKTOP")"
grep -qxF 'URL=https://10.77.0.100/device#NB4471?lang=en' "$link" ||
    fail "the shortcut leads elsewhere: $(cat "$link")"
grep -qxF 'Type=Link' "$link" || fail "the shortcut is not a link: $(cat "$link")"
! grep -q '^Exec' "$link" || fail "the shortcut runs a command: $(cat "$link")"
contact_sheet "$E2E_SCREENS.png"
echo "walk setup: passed"
