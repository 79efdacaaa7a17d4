#!/bin/bash
# netns-run itself: what the command sees, that its status comes back, that a simulator which
# dies or never starts fails the run, and that nothing is left behind.
# Usage: test_netns_run.sh NETNS_RUN ORB_SIM
set -uo pipefail
netns_run=$1
sim=$2
work=$(mktemp -d)
# The pattern lives outside $work, so that grep does not find itself.
pattern=$(mktemp)
echo "$work" >"$pattern"
trap 'rm -rf "$work" "$pattern"' EXIT
failed=0
fail() {
    echo "FAIL $current: $*" >&2
    failed=$((failed + 1))
}
ok() { echo "ok   $current"; }

# Runs netns-run in the background so that its pid (part of its namespaces' names) is known.
run_netns() {
    "$netns_run" --sim "$sim" "$@" >"$work/out" 2>"$work/err" &
    last_pid=$!
    wait "$last_pid"
    last_status=$?
}

left_behind() {
    ip netns list 2>/dev/null | grep -E "^orb-[dc]-$last_pid( |$)"
    grep -l -s -F -f "$pattern" /proc/[0-9]*/cmdline
}

current=the_client_side_sees_only_its_own_network
run_netns --clients 2 -- sh -c '
    ip -4 -o addr show | awk "{print \$2, \$4}"
    ip route show | grep -c "^default" || true
    echo "addrs=$ORB_CLIENT_ADDRS"
    test -s "$ORB_SIM_CA" && echo ca-ok
    "$ORB_SIM_CTL_CMD" curl -sf "http://$ORB_SIM_CONTROL/state" | python3 -c "import json,sys; print(\"recorders\", len(json.load(sys.stdin)[\"recorders\"]))"
'
if [[ $last_status -eq 77 ]]; then
    cat "$work/err" >&2
    exit 77
fi
expected="lo 127.0.0.1/8
eth0 10.77.0.2/24
eth1 10.77.1.2/24
0
addrs=10.77.0.2 10.77.1.2
ca-ok
recorders 1"
if [[ $last_status -ne 0 ]]; then
    fail "status $last_status: $(cat "$work/err")"
elif [[ $(cat "$work/out") != "$expected" ]]; then
    fail "the command saw:
$(cat "$work/out")
expected:
$expected"
else
    ok
fi

current=the_commands_status_comes_back_and_nothing_stays
run_netns --journal "$work/kept.jsonl" -- sh -c 'exit 7'
if [[ $last_status -ne 7 ]]; then
    fail "status $last_status, expected 7: $(cat "$work/err")"
elif [[ -n $(left_behind) ]]; then
    fail "left behind: $(left_behind)"
elif ! grep -q '"type":"note"' "$work/kept.jsonl"; then
    fail "the journal asked for with --journal is missing or empty"
else
    ok
fi

current=a_simulator_that_dies_fails_the_run
run_netns -- sh -c '
    "$ORB_SIM_CTL_CMD" curl -sf --data "" "http://$ORB_SIM_CONTROL/quit" || exit 3
    for _ in $(seq 400); do
        grep -q "^[^)]*) Z" "/proc/$ORB_SIM_PID/stat" 2>/dev/null && exit 0
        [ -e "/proc/$ORB_SIM_PID" ] || exit 0
        sleep 0.05
    done
    exit 4'
if [[ $last_status -eq 0 ]]; then
    fail "status 0 although orb-sim ended under the command"
elif ! grep -q 'orb-sim ended while the command ran' "$work/err"; then
    fail "no clear message: $(cat "$work/err")"
else
    ok
fi

current=a_bad_scenario_fails_with_the_simulators_reason
echo '{"recorders": [{"mac": "not-a-mac"}]}' >"$work/bad.json"
run_netns --scenario "$work/bad.json" -- true
if [[ $last_status -eq 0 || $last_status -eq 77 ]]; then
    fail "status $last_status for a scenario orb-sim refuses"
elif ! grep -q 'recorders\[0\].mac' "$work/err"; then
    fail "the simulator's reason is not shown: $(cat "$work/err")"
elif [[ -n $(left_behind) ]]; then
    fail "left behind: $(left_behind)"
else
    ok
fi

echo "$((4 - failed)) passed, $failed failed"
[[ $failed -eq 0 ]]
