#!/bin/bash
# The real wizard beside orb-sim in a private network, from Home to the time-zone page: the
# recorder search on page 7 (checked byte for byte in the simulator's journal), the MAC help,
# and the password step on page 8.
#   create: the factory recorder of the built-in scenario; the password is typed twice and set,
#           and Back from page 9 asks the recorder again, which now has a password.
#   verify: a recorder with a password; a wrong one first, then the right one; then back to
#           page 7, the recorder falls silent, and the probe's time-out brings the notice.
#   choose: two recorders of the model (one answering twice) and one of another model; the
#           second row is chosen with its radio mark; back on page 7 only the other model
#           answers, and Next during the search does nothing.
# Usage: walk_secure.sh ORB_WIZARD ORB_SIM SCREENS_DIR create|verify|choose
set -euo pipefail
wizard=$1
sim=$2
mode=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"
e2e_init "$3"
start_display
case $mode in
    create) start_wizard "$wizard" "$sim" ;;
    verify) start_wizard "$wizard" "$sim" "$here/scenarios/locked.json" ;;
    choose) start_wizard "$wizard" "$sim" "$here/scenarios/two-recorders.json" ;;
    *) fail "unknown walk '$mode'" ;;
esac
find_windows
client=${ORB_CLIENT_ADDRS%% *}
mac=001c2a780e01
password=Secret12

next() { click 478 557; }   # 448 + 30, 536 + 21
back() { click 360 557; }   # left of 410, 536 + 21

# Datagram account requests for the chosen recorder and its answers.
request() { echo "inbound and opcode == $1 and data[6:12] == bytes.fromhex('$mac')"; }
answer() { echo "outbound and opcode == $1 and len(data) >= 18 and data[16:18] == bytes(2)"; }

wait_trace "page 1 shown: CHomeDlg"
click 574 401   # START: 366 + 208, 380 + 21
wait_trace "page 2 shown"
for page in 3 4 5 6 7; do
    next
    wait_trace "page $page shown"
done
wait_trace "page 7 shown: CNvrSearchDlg"
shot "$mode-07-searching"
if [[ $mode == choose ]]; then
    wait_trace "recorder search ended: 2 rows"
else
    wait_trace "recorder search ended: 1 rows"
fi
shot "$mode-07-listed"

# The search request, to the limited broadcast address: FD FD, sequence 0, opcode A1, target
# MAC FF..FF, no address, status 0, version 3, payload length 15 50, the sender's clock,
# FF FF 00 00; answered once.
search_request="inbound and opcode == 0xA1 and e['peer'].startswith('$client:')"
journal_wait "$search_request and e['local'] == '255.255.255.255:62976' and len(data) == 30
    and data[:22] == bytes.fromhex('fdfd0000a100ffffffffffff00000000000003001550')
    and data[26:] == bytes.fromhex('ffff0000')
    and abs(int.from_bytes(data[22:26], 'little') - e['time'] // 1000) <= 60"
journal_wait "outbound and opcode == 0xA1 and len(data) in (334, 342)
              and e['peer'].startswith('$client:')"
searches=$(journal_count "$search_request")
[[ $searches == 1 ]] || fail "$searches search requests from $client, expected 1"

if [[ $mode == create ]]; then
    # The help icon in the MAC heading: the marked recorder's MAC, in capitals.
    click 666 242
    wait_trace "side page 4 open"
    shot "$mode-07-mac-help"
    key Escape
    wait_trace "side page 4 closed"
fi

if [[ $mode == choose ]]; then
    # The recorder with the password, wherever it was listed: its radio mark in column 1
    # (80 + 4 + 60 + 40 - 12, the rows below the 34-pixel header, 44 pixels each).
    row=$(grep -oE 'recorder row [0-9]+: 10\.77\.0\.11 ' "$wizard_log" | grep -oE '[0-9]+:' | tr -d :)
    [[ -n $row ]] || fail "10.77.0.11 was not listed"
    click 171 $((225 + 34 + (row - 1) * 44 + 24))
    mac=001c2a780e02
    shot "$mode-07-second"
fi

next
wait_trace "page 8 shown: CNvrPwdDlg"
journal_wait "$(request 0xA3)"
if [[ $mode == choose ]]; then
    wait_trace "password page mode: verify"
    wait_settled
    shot "$mode-08"
    # Silent before the page that searches half a second after it shows.
    sim_ctl 10.77.0.10 silentUdp=1
    sim_ctl 10.77.0.11 silentUdp=1
    back
    wait_trace "page 7 shown: CNvrSearchDlg" 2
    # The search starts half a second after the page; Next while it runs does nothing.
    journal_wait "$search_request" 2
    next
    wait_trace "recorder search ended: 0 rows"
    e2e_trace_seen "page 8 shown: CNvrPwdDlg" 2 && fail "Next during the search left page 7"
    shot "$mode-07-no-device"
    back
    wait_trace "page 6 shown" 2
elif [[ $mode == create ]]; then
    journal_wait "$(answer 0xA3)"
    wait_trace "password page mode: create"
    wait_settled
    shot "$mode-08"
    type_text "$password"
    key Tab
    type_text "$password"
    shot "$mode-08-typed"
    opened=$(e2e_trace_count "waiting overlay open")
    key Return
    # The request leaves half a second after the overlay opens.
    wait_trace "waiting overlay open" $((opened + 1))
    shot "$mode-08-waiting"
    wait_trace "page 9 shown: CNvrTimeZoneDlg"
    # Back waits for the page's fetch of the zones, which opens the waiting box.
    wait_trace "time zone list:"
    wait_settled
    journal_wait "$(request 0xA4)"
    journal_wait "$(answer 0xA4)"
    sim_state | python3 -c "
import json, sys
recorder = json.load(sys.stdin)['recorders'][0]
sys.exit(0 if recorder['adminPassword'] == '$password' else 1)" ||
        fail "the recorder did not take the new password"
    shot "$mode-09"

    # Back asks the recorder again before page 8 decides: it has a password now.
    back
    wait_trace "page 8 shown: CNvrPwdDlg" 2
    wait_trace "password page mode: verify"
    [[ $(journal_count "$(request 0xA3)") == 2 ]] || fail "Back from page 9 did not probe again"
    wait_settled
    shot "$mode-08-after-back"
else
    wait_trace "password page mode: verify"
    wait_settled
    shot "$mode-08"
    type_text "wrong12"
    key Return
    wait_trace "password result: refused"
    wait_settled
    shot "$mode-08-refused"
    key ctrl+a
    type_text "$password"
    key Return
    wait_trace "page 9 shown: CNvrTimeZoneDlg"
    # Back waits for the page's fetch of the zones, which opens the waiting box.
    wait_trace "time zone list:"
    wait_settled
    shot "$mode-09"

    # Back to the selection, which searches again; then the recorder stops answering.
    back
    wait_trace "page 8 shown: CNvrPwdDlg" 2
    wait_trace "password page mode: verify" 2
    wait_settled
    back
    wait_trace "page 7 shown: CNvrSearchDlg" 2
    wait_trace "recorder search ended: 1 rows" 2
    sim_ctl 10.77.0.10 silentUdp=1
    next
    wait_trace "page 8 shown: CNvrPwdDlg" 3
    wait_trace "side page 14 open"
    shot "$mode-08-notice"
    key Escape
    wait_trace "side page 14 closed"
    wait_trace "password page mode: create"
    wait_settled
    shot "$mode-08-unreachable"
fi

key Escape
wait_exit
[[ $wizard_status == 0 ]] || fail "exit code $wizard_status"
echo "walk $mode: passed"
