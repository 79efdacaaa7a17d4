#!/usr/bin/env python3
"""Login checks (0xA3) and password changes (0xA4) built by hand, in both header forms, against
the recorders of scenarios/two-recorders.json: the first answers with the long layout (342) and
has the factory's empty password, the second the short one (334) with a password of its own.
A changed password is then the one HTTP asks for too."""

import sys

from orbtest import (account_exchange, account_request, check, clock_delta, curl, recorder,
                     run, status_word, wait_journal)

USER = "admin"


def login(rec, password, long_header):
    delta = clock_delta(rec) if long_header else 0
    request = account_request(0xA3, USER, password, rec["mac"], rec["ip"], long_header,
                              clock_delta=delta)
    check(len(request) == (158 if long_header else 150), f"request length {len(request)}")
    reply = account_exchange(request)
    check(reply[0:2] == b"\xfd\xfd", f"reply starts {reply[0:2].hex()}")
    return status_word(reply)


def change(rec, current, new, long_header, target=None):
    mac, ip = (target or rec)["mac"], (target or rec)["ip"]
    delta = clock_delta(rec) if long_header else 0
    request = account_request(0xA4, USER, current, mac, ip, long_header, new_password=new,
                              clock_delta=delta)
    check(len(request) == (286 if long_header else 278), f"request length {len(request)}")
    return status_word(account_exchange(request))


def http_status(rec, password):
    scheme = "--digest" if rec.get("authScheme") == "digest" else "--basic"
    url = f"http://{rec['ip']}:{rec.get('httpPort', 80)}/config/datetime"
    return curl(url, scheme, user=f"{USER}:{password}")[0]


def test_long_header_login_accepts_the_factory_password():
    check(login(recorder(0), "", True) == 0, "the empty password was refused")


def test_long_header_login_refuses_a_wrong_password():
    check(login(recorder(0), "not-it", True) != 0, "a wrong password was accepted")


def test_long_header_login_travels_enciphered():
    rec = recorder(0)
    request = account_request(0xA3, USER, "", rec["mac"], rec["ip"], True,
                              clock_delta=clock_delta(rec))
    account_exchange(request)
    entry = wait_journal(lambda e: e.get("type") == "datagram" and e.get("direction") == "in"
                         and e.get("bytes") == request.hex(), "the login check as sent")[0]
    sent = bytes.fromhex(entry["bytes"])
    check(b"YWRtaW4=" not in sent, "the user name's Base64 is readable in the long form")


def test_short_header_login():
    rec = recorder(1)
    check(login(rec, rec["adminPassword"], False) == 0, "the right password was refused")
    check(login(rec, rec["adminPassword"] + "x", False) != 0, "a wrong password was accepted")


def test_long_header_password_change_is_required_over_http_afterwards():
    rec = recorder(0)
    check(change(rec, "wrong-current", "Never-1", True) != 0,
          "a change with a wrong current password was accepted")
    check(login(rec, "", True) == 0, "a refused change still changed the password")
    check(change(rec, "", "N3w-Secret-1", True) == 0, "the change was refused")
    check(login(rec, "N3w-Secret-1", True) == 0, "the new password is refused by datagram")
    check(login(rec, "", True) != 0, "the old password is still accepted by datagram")
    check(http_status(rec, "N3w-Secret-1") == 200, "HTTP refuses the new password")
    status = http_status(rec, "")
    check(status == 401, f"HTTP answers {status} to the old password, expected 401")


def test_short_header_password_change():
    rec = recorder(1)
    old = rec["adminPassword"]
    check(change(rec, old, "Office-22", False) == 0, "the change was refused")
    check(login(rec, "Office-22", False) == 0, "the new password is refused by datagram")
    check(login(rec, old, False) != 0, "the old password is still accepted")
    check(http_status(rec, "Office-22") == 200, "HTTP (Digest) refuses the new password")


def test_legacy_camera_takes_a_datagram_password_change():
    rec = recorder(1)
    camera = next(c for c in rec["cameras"] if c.get("protocolType") == "0")
    check(change(rec, camera.get("adminPassword", ""), "Bay-2024", False, target=camera) == 0,
          "the legacy camera refused the change")
    url = f"http://{camera['ip']}:{camera.get('httpPort', 80)}/image/jpeg.cgi"
    status, _, body = curl(url, "--anyauth", user=f"{USER}:Bay-2024")
    check(status == 200 and body[:2] == b"\xff\xd8",
          f"the new camera password gives {status} and {body[:4].hex()}")
    status = curl(url, "--anyauth", user=f"{USER}:")[0]
    check(status == 401, f"the old camera password gives {status}, expected 401")


if __name__ == "__main__":
    tests = {
        "login": [test_long_header_login_accepts_the_factory_password,
                  test_long_header_login_refuses_a_wrong_password,
                  test_long_header_login_travels_enciphered,
                  test_short_header_login],
        "change": [test_long_header_password_change_is_required_over_http_afterwards,
                   test_short_header_password_change,
                   test_legacy_camera_takes_a_datagram_password_change],
    }
    run(*tests[sys.argv[1]])
