#!/usr/bin/env python3
"""Bad input never brings the simulator down: datagrams of every length 0..1500, and broken
HTTP and TLS on every server of scenarios/two-recorders.json. After each barrage the simulator
still answers properly (netns-run also fails the test when orb-sim died)."""

import errno
import os
import random
import socket
import struct
import sys
import time

from orbtest import (BOUND, PORT, Failure, check, curl, recorder, reply_mac, run, scenario,
                     search_request, udp_socket)

rng = random.Random(780)


def search_still_answered():
    """Searches until every recorder answers, resending while earlier junk may still queue."""
    macs = {r["mac"].lower() for r in scenario()["recorders"]}
    sock = udp_socket()
    deadline = time.monotonic() + BOUND
    heard = set()
    while not macs <= heard:
        check(time.monotonic() < deadline, f"after the barrage only {sorted(heard)} answered")
        sock.sendto(search_request(), ("255.255.255.255", PORT))
        sock.settimeout(0.5)
        try:
            while True:
                data, _ = sock.recvfrom(4096)
                if len(data) in (334, 342):
                    heard.add(reply_mac(data))
        except socket.timeout:
            pass
    sock.close()


def header(opcode, version, payload_length):
    return (b"\xfd\xfd" + struct.pack("<HH", rng.randrange(65536), opcode) + os.urandom(6)
            + os.urandom(4) + struct.pack("<HHH", 0x7777, version, payload_length))


def test_datagrams_of_every_length():
    sock = udp_socket()
    targets = [("255.255.255.255", PORT)] + [(r["ip"], PORT) for r in scenario()["recorders"]]
    for length in range(0, 1501):
        data = bytes(rng.randrange(256) for _ in range(length))
        for target in targets:
            sock.sendto(data, target)
    search_still_answered()


def test_datagrams_that_look_almost_right():
    sock = udp_socket()
    recorders = scenario()["recorders"]
    cameras = [c for r in recorders for c in r.get("cameras", [])]
    devices = [(r["mac"], r["ip"]) for r in recorders] + [(c["mac"], c["ip"]) for c in cameras]
    for opcode in (0xA1, 0xA2, 0xA3, 0xA4, 0xA6, 0xA7, 0xAA, 0xC0, 0xFFFF):
        for version in (0, 1, 3, 0xFFFF):
            for length in list(range(0, 300)) + [1023, 1024, 1025, 1500]:
                mac, ip = rng.choice(devices)
                full = header(opcode, version, rng.choice([0, 128, 256, length, 0xFFFF]))
                # Aimed at a real device, so that its payload is read.
                full = full[:6] + bytes(int(x, 16) for x in mac.split(":")) \
                    + socket.inet_aton(ip) + full[16:]
                full += os.urandom(max(0, length - len(full)))
                sock.sendto(full[:length], ("255.255.255.255", PORT))
    search_still_answered()


def raw_exchange(ip, port, data):
    """Sends data, ends our side, reads until the server closes (bounded)."""
    try:
        with socket.create_connection((ip, port), timeout=BOUND) as sock:
            sock.sendall(data)
            sock.shutdown(socket.SHUT_WR)
            while sock.recv(65536):
                pass
    except socket.timeout:
        raise Failure(f"{ip}:{port} held a broken request open for {BOUND} s: {data[:60]!r}")
    except OSError as error:
        # The server may hang up on us before we are done: that is a fine answer.
        if error.errno not in (errno.ECONNRESET, errno.EPIPE, errno.ENOTCONN):
            raise Failure(f"{ip}:{port}: {error} after {data[:60]!r}")


def garbage_requests(host):
    b = lambda s: s.encode("latin-1")  # noqa: E731
    yield b""
    yield b"\r\n\r\n"
    yield os.urandom(1)
    yield os.urandom(4096)
    yield b"GET"
    yield b"GET / HTTP/1.1\r\n"
    yield b("GET /config/datetime HTTP/1.1\r\nHost: " + host)
    yield b"GARBAGE * HTTP/9.9\r\n\r\n"
    yield b"GET " + b"/" * 70000 + b" HTTP/1.1\r\n\r\n"
    yield b"GET /config/datetime?" + b"%" * 3000 + b" HTTP/1.1\r\nHost: x\r\n\r\n"
    yield b"GET /config/datetime HTTP/1.1\r\nHost: x\r\nX-Big: " + b"a" * 200000 + b"\r\n\r\n"
    yield b"GET /config/datetime HTTP/1.1\r\n" + b"X: y\r\n" * 5000 + b"\r\n"
    yield b"GET /\x00\xff HTTP/1.1\r\nHost: \x00\r\n\r\n"
    yield b"POST /account/?signin HTTP/1.1\r\nHost: x\r\nContent-Length: -1\r\n\r\nabc"
    yield b"POST /account/?add HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999\r\n\r\nabc"
    yield (b"POST /signin HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
           b"fffffffffffffffff\r\nabc\r\n0\r\n\r\n")
    yield b"POST /signin HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"
    for auth in ("Basic", "Basic !!!!", "Basic " + "A" * 10000, "Basic YWRtaW4=",
                 "Digest", "Digest ,,,,", 'Digest username="admin"',
                 'Digest username="admin", realm=, nonce="", uri="/", response="zz", qop=auth, '
                 'nc=zz, cnonce=""',
                 'Digest username="' + "a" * 10000 + '", nonce="' + "n" * 10000 + '"',
                 'Digest username="admin", realm="x", nonce="x", uri="/other", response="' +
                 "0" * 32 + '", opaque="x", qop=auth-int, nc=00000001, cnonce="x"',
                 "Digest \"\"\"\"\"\"", "Negotiate " + "Z" * 500):
        for path in ("/config/datetime", "/image/jpeg.cgi", "/system.cgi?AdminID=",
                     "/config/login", "/live/avdevlist", "/config/storageformat?storageid=x"):
            yield b(f"GET {path} HTTP/1.1\r\nHost: {host}\r\nAuthorization: {auth}\r\n\r\n")
    # A TLS ClientHello cut short, and records of nonsense.
    yield bytes.fromhex("16030100a5010000a10303") + os.urandom(20)
    yield b"\x16\x03\x01\xff\xff" + os.urandom(300)
    yield b"\x17\x03\x03\x00\x10" + os.urandom(16)


def servers():
    recorders = scenario()["recorders"]
    for r in recorders:
        yield r["ip"], r.get("httpPort", 80)
        yield r["ip"], r.get("httpsPort", 443)
        for c in r.get("cameras", []):
            yield c["ip"], c.get("httpPort", 80)
    portal = scenario()["portal"]
    yield portal["ip"], portal.get("httpsPort", 443)


def test_broken_http_and_tls():
    for ip, port in servers():
        for request in garbage_requests(ip):
            raw_exchange(ip, port, request)
    rec = recorder(1)
    status = curl(f"http://{rec['ip']}:{rec['httpPort']}/config/datetime", "--digest",
                  user=f"admin:{rec['adminPassword']}")[0]
    check(status == 200, f"a proper request afterwards: status {status}")
    status = curl(f"https://{recorder(0)['ip']}/config/datetime", "--basic", user="admin:")[0]
    check(status == 200, f"a proper TLS request afterwards: status {status}")
    search_still_answered()


def test_connections_dropped_half_way():
    for ip, port in servers():
        for _ in range(20):
            sock = socket.create_connection((ip, port), timeout=BOUND)
            sock.sendall(b"GET /config/datetime HTTP/1.1\r\nHost: x\r\nAuthoriz")
            # A reset instead of an orderly close.
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            sock.close()
    status = curl(f"http://{recorder(0)['ip']}/config/datetime", "--basic", user="admin:")[0]
    check(status == 200, f"a proper request afterwards: status {status}")


if __name__ == "__main__":
    groups = {
        "udp": [test_datagrams_of_every_length, test_datagrams_that_look_almost_right],
        "http": [test_broken_http_and_tls, test_connections_dropped_half_way],
    }
    run(*groups[sys.argv[1]])
