# shellcheck shell=bash
# Shared by the end-to-end walks; sourced by a bash script that runs under `set -euo pipefail`.
# The wizard runs in a real X window on a private Xvfb, inside a network namespace; the walk
# drives it from outside with xdotool and waits on its flow trace and the simulator's journal.
#
#   e2e_init SCREENS_DIR            work dir, screenshot dir, the cleanup trap; E2E_DESKTOP is
#                                   the desktop folder the wizard sees
#   start_display                   a private Xvfb (socket file only); exports DISPLAY
#   start_wizard WIZARD SIM [SCENARIO]
#                                   the wizard in netns-run's client namespace beside orb-sim
#                                   (its built-in scenario unless SCENARIO); loads ORB_SIM_*
#   start_wizard_offline WIZARD     the wizard in a network namespace of its own, with no network
#   find_windows                    waits for the host (860 x 640) and the outer (874 x 654)
#                                   window; checks they sit at 7,7 and 0,0
#   wait_trace LINE [TIMES [SECS]]  the flow trace has shown LINE (fixed string) TIMES times
#   wait_settled [SECS]             every side page and waiting overlay that opened has closed
#   click X Y                       left click at page coordinates
#   type_text TEXT / key NAME...    keys to the focused window (xdotool key names: Tab, Return)
#   shot NAME                       the host window's area to SCREENS_DIR/NAME.png
#   contact_sheet OUT               every shot so far in one picture, in the order taken
#   window_sized WxH / wait_window WxH WHAT
#                                   a visible window of the wizard's of that size
#   journal_wait EXPR [TIMES [SECS]]
#                                   the journal has TIMES lines for which the Python expression
#                                   EXPR is true (names: see journal.py), e.g.
#                                   journal_wait 'inbound and opcode == 0xA1'
#   journal_count EXPR              prints how many lines match
#   sim_ctl DEVICE KNOB=VALUE...    changes fault knobs of a device (MAC, address or "portal")
#   sim_state                       prints the simulator's state (scenario JSON)
#   wait_exit                       waits for the wizard to end; sets wizard_status
#   fail MESSAGE                    ends the walk with the wizard's log
#
# Waits are bounded by E2E_BOUND seconds (default 20) unless given; E2E_KEEP=1 keeps the work
# directory (logs, journal) for a look afterwards.

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_netns_run=$e2e_dir/../integration/netns-run
e2e_bound=${E2E_BOUND:-20}
E2E_WORK="" E2E_SCREENS="" E2E_DESKTOP=""
e2e_xvfb_pid="" e2e_runner_pid="" wizard_pid="" wizard_status=""
host_window="" outer_window="" host_x=7 host_y=7
wizard_log=""

e2e_init() {
    E2E_SCREENS=$1
    mkdir -p "$E2E_SCREENS"
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/orb-e2e.XXXXXX")
    E2E_DESKTOP=$E2E_WORK/desktop
    wizard_log=$E2E_WORK/wizard.log
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

fail() {
    echo "FAIL: $*" >&2
    if [[ -s $wizard_log ]]; then
        echo "--- wizard output (last 60 lines)" >&2
        tail -n 60 "$wizard_log" >&2
    fi
    if [[ -n $e2e_xvfb_pid ]]; then
        local state=running
        alive "$e2e_xvfb_pid" || state=ended
        echo "--- Xvfb on ${DISPLAY:-?} ($state); sockets: $(find /tmp/.X11-unix -mindepth 1 -printf '%f ' 2>&1)" >&2
        tail -n 20 "$E2E_WORK/xvfb.log" >&2
    fi
    exit 1
}

# Runs COMMAND every 50 ms until it succeeds (0) or SECS have passed (1).
poll() {
    local seconds=$1
    shift
    local now=${EPOCHREALTIME/[.,]/}
    local deadline=$((now + seconds * 1000000))
    while true; do
        "$@" && return 0
        now=${EPOCHREALTIME/[.,]/}
        ((now > deadline)) && return 1
        sleep 0.05
    done
}

# True while PID runs (an exited child that was not yet waited for does not count).
alive() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) || return 1
    [[ ${state:0:1} != Z ]]
}
ended() { ! alive "$1"; }

e2e_cleanup() {
    local status=$?
    set +e
    trap - EXIT INT TERM
    # A reader of our output that went away must not cut the cleanup short.
    trap '' PIPE
    if [[ -n $wizard_pid ]] && alive "$wizard_pid"; then
        kill "$wizard_pid" 2>/dev/null
        poll 5 ended "$wizard_pid" || kill -KILL "$wizard_pid" 2>/dev/null
    fi
    if [[ -n $e2e_runner_pid ]]; then
        # netns-run removes its namespaces and the simulator once its command has ended.
        if ! poll 30 ended "$e2e_runner_pid"; then
            kill "$e2e_runner_pid" 2>/dev/null
            poll 30 ended "$e2e_runner_pid" || kill -KILL "$e2e_runner_pid" 2>/dev/null
        fi
        wait "$e2e_runner_pid" 2>/dev/null
    fi
    if [[ -n $e2e_xvfb_pid ]]; then
        kill "$e2e_xvfb_pid" 2>/dev/null
        wait "$e2e_xvfb_pid" 2>/dev/null
    fi
    if [[ $status -ne 0 && $status -ne 77 && -s $E2E_WORK/netns-run.log ]]; then
        echo "--- netns-run" >&2
        tail -n 80 "$E2E_WORK/netns-run.log" >&2
    fi
    if [[ -n ${E2E_KEEP:-} ]]; then
        echo "e2e: kept $E2E_WORK" >&2
    else
        rm -rf "$E2E_WORK"
    fi
    exit "$status"
}

e2e_lines_at_least() { [[ $(wc -l <"$2") -ge $1 ]]; }

start_display() {
    # A display number of its own, picked at random far above the usual ones: an Xvfb that is
    # still closing elsewhere removes the socket of its old number, so numbers are not handed
    # on from walk to walk. A number in use makes Xvfb exit, and the next one is tried. Only
    # the socket file is offered: it is the one way to the display that crosses network
    # namespaces. Without -noreset the server resets when its last client leaves (xdpyinfo
    # below), and a client that connects during that reset is turned away.
    local attempt number
    for attempt in $(seq 1 20); do
        number=$((200 + RANDOM % 800))
        : >"$E2E_WORK/display"
        Xvfb ":$number" -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp \
            -nolisten unix-abstract 3>"$E2E_WORK/display" >"$E2E_WORK/xvfb.log" 2>&1 &
        e2e_xvfb_pid=$!
        poll 10 e2e_display_ready || true
        [[ -s $E2E_WORK/display ]] && break
        kill "$e2e_xvfb_pid" 2>/dev/null || true
        wait "$e2e_xvfb_pid" 2>/dev/null || true
        e2e_xvfb_pid=""
    done
    [[ -n $e2e_xvfb_pid ]] || fail "Xvfb did not start after $attempt tries: $(cat "$E2E_WORK/xvfb.log")"
    DISPLAY=:$(head -n 1 "$E2E_WORK/display")
    export DISPLAY
    xdpyinfo >/dev/null 2>&1 || fail "cannot reach Xvfb on $DISPLAY"
}
# Xvfb has written its number, or has given up.
e2e_display_ready() { [[ -s $E2E_WORK/display ]] || ended "$e2e_xvfb_pid"; }

# In the namespace: hands the simulator's variables and its own pid out, then becomes the wizard
# with its output in the log.
# shellcheck disable=SC2016
e2e_inner='
work=$1
shift
for name in ${!ORB_@}; do printf "export %s=%q\n" "$name" "${!name}"; done >"$work/sim.env"
echo $$ >"$work/wizard.pid.new"
mv "$work/wizard.pid.new" "$work/wizard.pid"
# The simulated portal'"'"'s certificate comes from the simulator'"'"'s own authority.
[[ -n ${ORB_SIM_CA:-} ]] && export SSL_CERT_FILE=$ORB_SIM_CA
exec "$@" >"$work/wizard.log" 2>&1
'

e2e_wizard_environment() {
    # Everything the wizard writes stays in the work directory.
    export XDG_DATA_HOME=$E2E_WORK/data XDG_DATA_DIRS=$E2E_WORK/system XDG_RUNTIME_DIR=$E2E_WORK
    # The desktop that FINISH puts its shortcut on.
    export HOME=$E2E_WORK/home XDG_CONFIG_HOME=$E2E_WORK/config
    mkdir -p "$HOME" "$E2E_DESKTOP" "$XDG_CONFIG_HOME"
    echo "XDG_DESKTOP_DIR=\"$E2E_DESKTOP\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
    export TMPDIR=$E2E_WORK
    export QT_QPA_PLATFORM=xcb
    export QT_LOGGING_RULES="orb.flow.debug=true"
}

# Waits until the command started in the background as e2e_runner_pid has become the wizard.
e2e_started() { [[ -s $E2E_WORK/wizard.pid ]] || ended "$e2e_runner_pid"; }
e2e_wait_started() {
    poll 120 e2e_started || fail "the wizard did not start within 120 s"
    if [[ ! -s $E2E_WORK/wizard.pid ]]; then
        local status=0
        wait "$e2e_runner_pid" || status=$?
        e2e_runner_pid=""
        cat "$E2E_WORK/netns-run.log" >&2
        [[ $status -eq 77 ]] && exit 77
        fail "the network namespace or the simulator did not come up (status $status)"
    fi
    wizard_pid=$(cat "$E2E_WORK/wizard.pid")
    # The wizard broadcasts: it must never share this script's network.
    [[ $(readlink "/proc/$wizard_pid/ns/net") != "$(readlink /proc/self/ns/net)" ]] ||
        fail "the wizard runs in the caller's network namespace"
    # shellcheck disable=SC1091
    source "$E2E_WORK/sim.env"
}

start_wizard() {
    local wizard=$1 sim=$2 scenario=${3:-}
    local options=(--sim "$sim" --journal "$E2E_WORK/journal.jsonl")
    [[ -n $scenario ]] && options+=(--scenario "$scenario")
    e2e_wizard_environment
    "$e2e_netns_run" "${options[@]}" -- bash -c "$e2e_inner" e2e "$E2E_WORK" "$wizard" \
        </dev/null >"$E2E_WORK/netns-run.log" 2>&1 &
    e2e_runner_pid=$!
    e2e_wait_started
}

start_wizard_offline() {
    local wizard=$1
    local isolate=(unshare --net)
    unshare --net true 2>/dev/null || isolate=(unshare --net --map-root-user)
    e2e_wizard_environment
    "${isolate[@]}" bash -c "$e2e_inner" e2e "$E2E_WORK" "$wizard" \
        </dev/null >"$E2E_WORK/netns-run.log" 2>&1 &
    e2e_runner_pid=$!
    e2e_wait_started
}

# Sets WINDOW X Y WIDTH HEIGHT SCREEN of a window; callers declare them local.
# shellcheck disable=SC2034
e2e_geometry() { xdotool getwindowgeometry --shell "$1"; }

# Both windows are named "Setup Wizard"; they differ in size.
e2e_both_mapped() {
    # shellcheck disable=SC2034
    local w WINDOW X Y WIDTH HEIGHT SCREEN
    for w in $(xdotool search --onlyvisible --pid "$wizard_pid" 2>/dev/null || true); do
        eval "$(e2e_geometry "$w")"
        [[ $WIDTH == 860 && $HEIGHT == 640 ]] && host_window=$w
        [[ $WIDTH == 874 && $HEIGHT == 654 ]] && outer_window=$w
    done
    [[ -n $host_window && -n $outer_window ]]
}

find_windows() {
    host_window="" outer_window=""
    poll "$e2e_bound" e2e_both_mapped || true
    [[ -n $host_window ]] || fail "the host window (860 x 640) did not appear"
    [[ -n $outer_window ]] || fail "the outer window (874 x 654) did not appear"
    # shellcheck disable=SC2034
    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(e2e_geometry "$outer_window")"
    [[ $X == 0 && $Y == 0 ]] || fail "outer window at $X,$Y, expected 0,0"
    eval "$(e2e_geometry "$host_window")"
    [[ $X == "$host_x" && $Y == "$host_y" ]] ||
        fail "host window at $X,$Y, expected $host_x,$host_y"
}

e2e_trace_count() { grep -cF -- "$1" "$wizard_log" || true; }
e2e_trace_seen() { [[ $(e2e_trace_count "$1") -ge $2 ]]; }
e2e_trace_seen_or_ended() { e2e_trace_seen "$1" "$2" || ended "$wizard_pid"; }

wait_trace() {
    local line=$1 times=${2:-1} seconds=${3:-$e2e_bound}
    poll "$seconds" e2e_trace_seen_or_ended "$line" "$times" ||
        fail "no trace line '$line' (x$times) within $seconds s"
    e2e_trace_seen "$line" "$times" || fail "the wizard ended before trace line '$line' (x$times)"
}

e2e_settled_trace() {
    local opened closed
    opened=$(grep -cE 'side page [0-9]+ open$|waiting overlay open$' "$wizard_log" || true)
    closed=$(grep -cE 'side page [0-9]+ closed|waiting overlay closed' "$wizard_log" || true)
    [[ $opened -eq $closed ]]
}

# The wizard's visible windows besides its two frame windows: side pages, the waiting overlay,
# an open list. A window is traced as closed a little before the X server has unmapped it.
e2e_other_windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$wizard_pid" 2>/dev/null || true); do
        [[ $w == "$host_window" || $w == "$outer_window" ]] || echo "$w"
    done
}
e2e_other_window_shown() { [[ -n $(e2e_other_windows) ]]; }

e2e_settled() { e2e_settled_trace && ! e2e_other_window_shown; }

# shellcheck disable=SC2120
wait_settled() {
    poll "${1:-$e2e_bound}" e2e_settled || fail "a side page or the waiting overlay stayed open"
}

click() {
    xdotool mousemove $((host_x + $1)) $((host_y + $2)) click 1
}

type_text() {
    xdotool type --delay 40 -- "$1"
}

key() {
    # Without a window manager nobody gives a side page that opened the focus: the walk does,
    # once the X server shows it.
    if ! e2e_settled_trace && poll 10 e2e_other_window_shown; then
        local side
        side=$(e2e_other_windows | tail -n 1)
        timeout 5 xdotool windowfocus --sync "$side" 2>/dev/null || true
    fi
    xdotool key --delay 40 -- "$@"
}

shot() {
    import -window root -crop "860x640+$host_x+$host_y" +repage "$E2E_SCREENS/$1.png"
}

# Every shot of this walk, in the order taken, as one labelled picture at half size.
contact_sheet() {
    local out=$1 shots
    mapfile -t shots < <(ls -tr "$E2E_SCREENS"/*.png)
    montage -label '%t' -font DejaVu-Sans -pointsize 14 "${shots[@]}" -tile 5x -geometry 430x320+8+8 \
        -background '#e8ecef' "$out" || fail "no contact sheet"
}

window_sized() {
    # shellcheck disable=SC2034
    local w WINDOW X Y WIDTH HEIGHT SCREEN
    for w in $(xdotool search --onlyvisible --pid "$wizard_pid" 2>/dev/null || true); do
        eval "$(e2e_geometry "$w")"
        if [[ ${WIDTH}x$HEIGHT == "$1" ]]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

wait_window() {
    poll "$e2e_bound" window_sized "$1" >/dev/null || fail "no $1 window appeared ($2)"
}

journal_wait() {
    local expression=$1 times=${2:-1} seconds=${3:-$e2e_bound}
    python3 "$e2e_dir/journal.py" wait "$ORB_SIM_JOURNAL" "$expression" "$times" "$seconds" ||
        fail "the journal never showed '$expression' (x$times)"
}

journal_count() {
    python3 "$e2e_dir/journal.py" count "$ORB_SIM_JOURNAL" "$1"
}

# One request to the control channel, which listens on the device namespace's loopback.
# shellcheck disable=SC2016
e2e_control_py='
import sys, urllib.error, urllib.request
method, url = sys.argv[1:3]
body = sys.argv[3].encode() if len(sys.argv) > 3 else b""
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
request = urllib.request.Request(url, data=body if method == "POST" else None, method=method)
try:
    with opener.open(request, timeout=10) as reply:
        sys.stdout.write(reply.read().decode())
except urllib.error.HTTPError as error:
    sys.exit(f"{method} {url}: {error.code} {error.read().decode()}")
'

e2e_control() {
    local enter=()
    # Where netns-run made its namespaces inside a user namespace of its own, enter that first.
    if [[ $(readlink /proc/self/ns/user) != "$(readlink "/proc/$e2e_runner_pid/ns/user")" ]]; then
        enter=(nsenter --target "$e2e_runner_pid" --user --preserve-credentials --)
    fi
    "${enter[@]}" "$ORB_SIM_CTL_CMD" python3 -c "$e2e_control_py" "$1" "http://$ORB_SIM_CONTROL$2" \
        "${@:3}"
}

sim_ctl() {
    local device=$1 query=""
    shift
    local knob
    for knob in "$@"; do query+="&$knob"; done
    e2e_control POST "/faults?device=$device$query" >/dev/null || fail "sim_ctl $device $*"
}

# Changes a running device: sim_set DEVICE JSON, merged into its scenario object.
sim_set() {
    e2e_control POST "/set?device=$1" "$2" >/dev/null || fail "sim_set $1 $2"
}

sim_state() {
    e2e_control GET /state || fail "cannot read the simulator's state"
}

# wizard_status is for the caller.
# shellcheck disable=SC2034
wait_exit() {
    poll "$e2e_bound" ended "$wizard_pid" || fail "the wizard did not end"
    # netns-run ends with the wizard's status once it has removed its namespaces (1 when the
    # simulator died under it).
    poll 60 ended "$e2e_runner_pid" || fail "netns-run did not end after the wizard"
    wizard_status=0
    wait "$e2e_runner_pid" || wizard_status=$?
    e2e_runner_pid="" wizard_pid=""
}
