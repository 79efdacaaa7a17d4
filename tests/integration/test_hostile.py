#!/usr/bin/env python3
"""The simulator's hostile modes seen from clients that are not the wizard's code (a plain UDP
socket, curl's command line, Python's ssl and http.client), one group per run:

    test_hostile.py datagrams | bodies | auth | certificates | cameras

Runs with the built-in scenario (recorder 10.77.0.10 in factory state, cameras 10.77.0.21 to
.23, the portal on 10.77.0.100). Every test switches its knobs off again at its end."""

import base64
import http.client
import json
import os
import socket
import ssl
import struct
import subprocess
import sys
import time

from orbtest import (BOUND, PORT, account_exchange, account_request, check, control, curl,
                     journal, reply_fields, reply_mac, run, search, search_request, set_faults,
                     tls_context, udp_socket, wait_journal)

RECORDER = "10.77.0.10"
RECORDER_MAC = "00:1c:2a:78:0e:01"
CAMERA = "10.77.0.21"
PORTAL = "10.77.0.100"
WRONG_LENGTHS = {0, 1, 22, 30, 333, 335, 341, 343, 1024, 1500}
SIGN_IN = ("client=wizard&wizard_version=ORB-780Z_V 2.03.02&lang=en&email=installer@example.com"
           "&password=Portal-2024&err_count=0\r\n\r\n")


def notes(start):
    return [e["text"] for e in journal() if e["type"] == "note" and e["text"].startswith(start)]


def set_json(device, value):
    """POST /set with a JSON body, through the control channel's namespace."""
    url = f"http://{os.environ['ORB_SIM_CONTROL']}/set?device={device}"
    result = subprocess.run([os.environ["ORB_SIM_CTL_CMD"], "curl", "-sS", "-w", "\n%{http_code}",
                             "--data-binary", json.dumps(value), url],
                            capture_output=True, text=True)
    body, _, status = result.stdout.rpartition("\n")
    check(status == "200", f"/set {device}: {status} {body} {result.stderr}")


# --- datagrams

def test_flood_of_ten_thousand_from_a_thousand_macs():
    set_faults(RECORDER, floodReplies=10000)
    try:
        sock = udp_socket()
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
        before = len(notes("udp: flood from recorder 00:1c:2a:78:0e:01 to"))
        sock.sendto(search_request(), ("255.255.255.255", PORT))
        received = []
        deadline = time.monotonic() + BOUND
        # Read while the flood comes, until the simulator says it has all gone, then the rest.
        while len(notes("udp: flood from recorder 00:1c:2a:78:0e:01 to")) == before:
            check(time.monotonic() < deadline, "the flood did not end")
            sock.settimeout(0.05)
            try:
                while True:
                    received.append(sock.recvfrom(4096)[0])
            except socket.timeout:
                pass
        sock.settimeout(0.2)
        try:
            while True:
                received.append(sock.recvfrom(4096)[0])
        except socket.timeout:
            pass
        sock.close()
    finally:
        set_faults(RECORDER, floodReplies=0)

    done = notes("udp: flood from recorder 00:1c:2a:78:0e:01 to")[-1]
    check(" done: 10000 sent, 0 failed, in " in done, done)
    check(notes("udp: flood from recorder 00:1c:2a:78:0e:01:")[-1].endswith(
        ": 10000 datagrams, 1000 MACs, 5000 duplicates, 4000 wrong lengths, over 1000 ms"),
        "the flood's plan")
    check(len(received[0]) == 342 and reply_mac(received[0]) == RECORDER_MAC,
          "the recorder's own answer comes first")
    proper = {}
    for data in received[1:]:
        if len(data) in (334, 342):
            mac = reply_mac(data)
            check(mac.startswith("02:f1:00:"), f"a flood answer from {mac}")
            check(proper.setdefault(mac, data) == data, f"the copies of {mac} differ")
            check(reply_fields(data)["model"] == "ORB-780Z", "the flood's model")
        else:
            check(len(data) in WRONG_LENGTHS, f"a datagram of {len(data)} bytes")
    # What the socket could not hold is lost; most of it must have come.
    check(len(received) > 1000, f"only {len(received)} datagrams arrived")
    check(0 < len(proper) <= 1000, f"{len(proper)} MACs")
    check(any(len(d) in WRONG_LENGTHS for d in received), "no wrong length arrived")


def test_full_length_texts_run_into_the_next_field():
    set_faults(RECORDER, fullLengthTexts=1)
    try:
        reply, _ = search([RECORDER_MAC])[RECORDER_MAC]
        check(len(reply) == 342, f"{len(reply)} bytes")
        check(b"\0" not in reply[158:228] and reply[158:166] == b"ORB-780Z", "model field")
        check(b"\0" not in reply[234:298], "device name field")
        check(reply_fields(reply)["ip"] == RECORDER, "the address stays")
        answer = account_exchange(account_request(0xA3, "admin", "", RECORDER_MAC, RECORDER, True))
        check(len(answer) == 158 and struct.unpack_from("<H", answer, 16)[0] == 0,
              f"login check answer of {len(answer)} bytes")
        check(b"\0" not in answer[30:] and answer[30:35] == b"admin", "slots full of text")
    finally:
        set_faults(RECORDER, fullLengthTexts=0)


def test_hostile_strings_in_search_and_account_replies():
    set_faults(RECORDER, hostileStrings="desktop")
    try:
        reply, _ = search([RECORDER_MAC])[RECORDER_MAC]
        model = reply[158:227]
        check(model.startswith(b"ORB-780Z\n[Desktop Entry]\nType=Application\nExec="), model)
        check(reply[227] == 0, "still terminated")
        answer = account_exchange(account_request(0xA3, "admin", "", RECORDER_MAC, RECORDER, True))
        check(answer[30:54] == b"admin\n[Desktop Entry]\nTy", answer[30:94])
    finally:
        set_faults(RECORDER, hostileStrings="")


# --- bodies

def test_huge_body_is_ten_megabytes_with_the_answer_first():
    set_faults(RECORDER, bodyMode="huge")
    try:
        status, head, body = curl(f"http://{RECORDER}/config/datamatch", user="admin:")
    finally:
        set_faults(RECORDER, bodyMode="")
    check(status == 200 and len(body) == 10 * 1024 * 1024, f"{status}, {len(body)} bytes")
    check(body.startswith(b"match=0\r\n"), body[:40])
    check("Content-Length: 10485760" in head, head)


def test_endless_body_goes_on_while_read():
    set_faults(CAMERA, bodyMode="endless")
    try:
        connection = http.client.HTTPConnection(CAMERA, 80, timeout=BOUND)
        connection.request("GET", "/image/jpeg.cgi",
                           headers={"Authorization": "Basic " + base64.b64encode(b"admin:frontdoor1").decode()})
        reply = connection.getresponse()
        check(reply.getheader("Transfer-Encoding") == "chunked", reply.getheaders())
        data = b""
        while len(data) < 4_000_000:
            piece = reply.read(65536)
            check(piece, f"the body ended after {len(data)} bytes")
            data += piece
        connection.close()
    finally:
        set_faults(CAMERA, bodyMode="")
    check(data.startswith(b"\xff\xd8"), "the frame comes first")
    wait_journal(lambda e: e["type"] == "note" and e["text"] ==
                 f"body: camera {CAMERA} answers /image/jpeg.cgi, bodyMode endless",
                 "the note of the endless body")


def test_trickle_sends_a_byte_a_second():
    set_faults(RECORDER, bodyMode="trickle")
    try:
        with socket.create_connection((RECORDER, 80), timeout=BOUND) as sock:
            sock.sendall(b"GET /config/datamatch HTTP/1.1\r\nHost: x\r\n"
                         b"Authorization: Basic YWRtaW46\r\n\r\n")
            data = b""
            while b"\r\n\r\n" not in data:
                data += sock.recv(4096)
            head, _, body = data.partition(b"\r\n\r\n")
            check(b"Content-Length: 9\r\n" in head, head)
            while len(body) < 3:
                body += sock.recv(1)
    finally:
        set_faults(RECORDER, bodyMode="")
    check(body == b"mat", body)
    wait_journal(lambda e: e["type"] == "note" and e["text"] ==
                 f"body: recorder {RECORDER_MAC} answers /config/datamatch, bodyMode trickle",
                 "the note of the trickled body")


def test_reset_cuts_the_portals_answer():
    set_faults("portal", bodyMode="reset")
    try:
        command = ["curl", "-sS", "-o", "/dev/null", "--cacert", os.environ["ORB_SIM_CA"],
                   "--data-binary", SIGN_IN, f"https://{PORTAL}/account/?signin"]
        result = subprocess.run(command, capture_output=True, text=True)
    finally:
        set_faults("portal", bodyMode="")
    check(result.returncode != 0, "curl took the whole answer")
    check("reset" in result.stderr.lower() or result.returncode == 56, result.stderr)
    wait_journal(lambda e: e["type"] == "note" and e["text"].startswith("reset: the connection")
                 and e["text"].endswith(f"to {PORTAL}:443 after 32768 of 65536 bytes"),
                 "the reset's note")


# --- 401 for ever

def nonce(head):
    for line in head.split("\r\n"):
        if line.lower().startswith("www-authenticate:") and 'nonce="' in line:
            return line.split('nonce="', 1)[1].split('"', 1)[0]
    return None


def datamatch_requests():
    return sum(1 for e in journal() if e["type"] == "http" and e["target"] == "/config/datamatch")


def test_401_for_ever_with_fresh_nonces():
    set_faults(RECORDER, unauthorizedForever=1)
    set_faults("portal", unauthorizedForever=1)
    try:
        seen = set()
        for _ in range(5):
            connection = http.client.HTTPConnection(RECORDER, 80, timeout=BOUND)
            connection.request("GET", "/config/datamatch",
                               headers={"Authorization": "Basic YWRtaW46"})
            reply = connection.getresponse()
            challenge = reply.getheader("WWW-Authenticate")
            reply.read()
            connection.close()
            check(reply.status == 401, f"status {reply.status}")
            check(challenge.endswith(", algorithm=MD5, stale=true"), challenge)
            seen.add(nonce("WWW-Authenticate: " + challenge))
        check(len(seen) == 5 and None not in seen, f"nonces {seen}")
        # curl takes each stale challenge for a reason to try again, up to its own limit.
        before = datamatch_requests()
        result = subprocess.run(["curl", "-sS", "-o", "/dev/null", "--digest", "-u", "admin:",
                                 f"http://{RECORDER}/config/datamatch"],
                                capture_output=True, text=True)
        check(result.returncode == 47 and "Maximum (50) redirects" in result.stderr,
              f"curl: exit {result.returncode}: {result.stderr}")
        deadline = time.monotonic() + BOUND
        while datamatch_requests() < before + 51:
            check(time.monotonic() < deadline, f"{datamatch_requests() - before} requests")
            time.sleep(0.05)
        status, _, _ = curl(f"https://{PORTAL}/account/?signin", data=SIGN_IN)
        check(status == 401, f"the portal answered {status}")
    finally:
        set_faults(RECORDER, unauthorizedForever=0)
        set_faults("portal", unauthorizedForever=0)
    status, _, _ = curl(f"http://{RECORDER}/config/datamatch", user="admin:")
    check(status == 200, f"back to normal: {status}")


# --- certificates

def portal_requests():
    return sum(1 for e in journal() if e["type"] == "http" and e["device"] == "portal")


def test_each_certificate_is_refused_for_its_own_reason():
    expected = {"expired": "certificate has expired", "selfSigned": "self-signed certificate",
                "wrongHost": "IP address mismatch"}
    try:
        for kind, reason in expected.items():
            set_faults("portal", certificate=kind)
            before = portal_requests()
            with socket.create_connection((PORTAL, 443), timeout=BOUND) as raw:
                try:
                    tls_context().wrap_socket(raw, server_hostname=PORTAL).close()
                    check(False, f"the {kind} certificate was accepted")
                except ssl.SSLCertVerificationError as error:
                    check(reason in error.verify_message, f"{kind}: {error.verify_message}")
            wait_journal(lambda e, k=kind: e["type"] == "note" and e["text"] ==
                         f"tls: portal on {PORTAL}:443 shows its {k} certificate", f"{kind} note")
            check(portal_requests() == before, f"a request got through the {kind} certificate")
    finally:
        set_faults("portal", certificate="")
    status, _, body = curl(f"https://{PORTAL}/account/?signin", data=SIGN_IN)
    check(status == 200 and body.startswith(b"success"), f"back to normal: {status} {body}")


# --- cameras

def test_three_hundred_more_cameras():
    set_json(RECORDER, {"generatedCameras": 300})
    status, _, body = curl(f"https://{RECORDER}/config/nubradiscovery", user="admin:")
    check(status == 200, f"status {status}")
    lines = body.decode().split("\r\n")
    check(lines[-1] == "" and len(lines) == 304, f"{len(lines) - 1} lines")
    check(lines[3] == "0;10.78.0.1;00:1c:2a:ca:00:00;Orbis;OC-420;admin;cam-001;cgi;1", lines[3])
    state = json.loads(control("GET", "/state"))
    check(len(state["recorders"][0]["cameras"]) == 303, "the state holds them")


GROUPS = {
    "datagrams": [test_flood_of_ten_thousand_from_a_thousand_macs,
                  test_full_length_texts_run_into_the_next_field,
                  test_hostile_strings_in_search_and_account_replies],
    "bodies": [test_huge_body_is_ten_megabytes_with_the_answer_first,
               test_endless_body_goes_on_while_read, test_trickle_sends_a_byte_a_second,
               test_reset_cuts_the_portals_answer],
    "auth": [test_401_for_ever_with_fresh_nonces],
    "certificates": [test_each_certificate_is_refused_for_its_own_reason],
    "cameras": [test_three_hundred_more_cameras],
}

if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in GROUPS:
        sys.exit(f"usage: test_hostile.py {'|'.join(GROUPS)}")
    run(*GROUPS[sys.argv[1]])
