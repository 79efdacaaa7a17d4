#!/usr/bin/env python3
"""orb-probe login-check and set-password against the recorders of
scenarios/two-recorders.json: the first answers in the long layout with the factory's empty
password and a clock an hour behind, the second in the short layout with a password of its
own. Without --reply-type the probe learns layout, clock and interface from a search first."""

import subprocess
import sys
import time

from orbtest import check, journal, recorder, run, set_faults

PROBE = sys.argv[1]
USER = "admin"


def probe(command, rec, password, *extra):
    args = [PROBE, command, "--ip", rec["ip"], "--mac", rec["mac"], "--user", USER,
            "--password", password, *extra]
    result = subprocess.run(args, capture_output=True, text=True, timeout=60)
    return result.returncode, result.stdout.strip(), result.stderr.strip()


def login(rec, password, *extra):
    return probe("login-check", rec, password, *extra)


def incoming_datagrams(opcode, length):
    return [e for e in journal() if e.get("type") == "datagram" and e.get("direction") == "in"
            and len(e.get("bytes", "")) == 2 * length
            and bytes.fromhex(e["bytes"])[4:6] == opcode.to_bytes(2, "little")]


def test_long_layout_login_accepted():
    code, out, err = login(recorder(0), "")
    check((code, out) == (0, "status=2 loginAccepted=1"), f"exit {code}: {out} {err}")
    sent = incoming_datagrams(0xA3, 158)
    check(sent, "no 158-byte login check in the journal")
    check(b"YWRtaW4=" not in bytes.fromhex(sent[-1]["bytes"]), "the user name went in clear")


def test_long_layout_login_refused():
    code, out, err = login(recorder(0), "not-it")
    check((code, out) == (1, "status=4 loginAccepted=0"), f"exit {code}: {out} {err}")


def test_short_layout_login():
    rec = recorder(1)
    code, out, err = login(rec, rec["adminPassword"])
    check((code, out) == (0, "status=2 loginAccepted=1"), f"exit {code}: {out} {err}")
    check(incoming_datagrams(0xA3, 150), "no 150-byte login check in the journal")
    code, out, err = login(rec, rec["adminPassword"] + "x")
    check((code, out) == (1, "status=4 loginAccepted=0"), f"exit {code}: {out} {err}")


def test_password_change_then_new_passes_and_old_fails():
    rec = recorder(0)
    code, out, err = probe("set-password", rec, "", "--new-password", "Probe-N3w-1")
    check((code, out) == (0, "status=2"), f"exit {code}: {out} {err}")
    check(incoming_datagrams(0xA4, 286), "no 286-byte password change in the journal")
    code, out, err = login(rec, "Probe-N3w-1")
    check((code, out) == (0, "status=2 loginAccepted=1"), f"new password: {code} {out} {err}")
    code, out, err = login(rec, "")
    check((code, out) == (1, "status=4 loginAccepted=0"), f"old password: {code} {out} {err}")


def test_wrong_current_password_change_refused():
    rec = recorder(1)
    code, out, err = probe("set-password", rec, "wrong", "--new-password", "x", "--reply-type", "1")
    check((code, out) == (1, "status=4"), f"exit {code}: {out} {err}")


def test_silent_recorder_times_out():
    rec = recorder(1)
    set_faults(rec["ip"], silentUdp=1)
    started = time.monotonic()
    code, out, err = login(rec, rec["adminPassword"], "--reply-type", "1")
    elapsed = time.monotonic() - started
    check((code, out) == (1, "status=3 loginAccepted=0"), f"exit {code}: {out} {err}")
    check(elapsed >= 2.9, f"gave up after {elapsed:.2f} s")


def test_bad_arguments():
    code, out, err = probe("login-check", {"ip": "10.77.0", "mac": recorder(0)["mac"]}, "")
    check(code == 2 and "10.77.0" in err and len(err.splitlines()) == 1, f"{code}: {err}")
    code, out, err = probe("set-password", recorder(0), "")
    check(code == 2 and "--new-password" in err, f"{code}: {err}")


if __name__ == "__main__":
    run(test_long_layout_login_accepted, test_long_layout_login_refused, test_short_layout_login,
        test_password_change_then_new_passes_and_old_fails,
        test_wrong_current_password_change_refused, test_bad_arguments,
        test_silent_recorder_times_out)
