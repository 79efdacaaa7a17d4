"""Clients for the integration tests, written apart from the wizard's code: the datagrams are
built here byte by byte, HTTP goes through curl's command line or Python's own library, and
AES comes from the openssl command line. Tests run inside netns-run's client namespace."""

import base64
import hashlib
import json
import os
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import time
import traceback

PORT = 62976
# Upper bound for waiting on something that should happen at once; never a requirement.
BOUND = 20.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*tests):
    """Runs each test function, prints one line per test, exits 1 when any failed."""
    failed = 0
    for test in tests:
        try:
            test()
            print(f"ok   {test.__name__}")
        except Failure as failure:
            failed += 1
            print(f"FAIL {test.__name__}: {failure}", file=sys.stderr)
        except Exception:  # an unexpected error is a failure of that test, not of the others
            failed += 1
            print(f"FAIL {test.__name__}:", file=sys.stderr)
            traceback.print_exc()
        sys.stdout.flush()
        sys.stderr.flush()
    print(f"{len(tests) - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


# --- what netns-run provides

def scenario():
    with open(os.environ["ORB_SIM_SCENARIO"]) as f:
        return json.load(f)


def recorder(index=0):
    return scenario()["recorders"][index]


def client_addresses():
    return os.environ["ORB_CLIENT_ADDRS"].split()


def journal():
    entries = []
    with open(os.environ["ORB_SIM_JOURNAL"]) as f:
        for line in f:
            if line.endswith("\n"):
                entries.append(json.loads(line))
    return entries


def wait_journal(predicate, what):
    """The journal entries matching predicate, once there is at least one."""
    deadline = time.monotonic() + BOUND
    while True:
        found = [e for e in journal() if predicate(e)]
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failure(f"the journal never showed {what}")
        time.sleep(0.02)


def control(method, path):
    """A request to the simulator's control channel, which listens in the device namespace."""
    url = f"http://{os.environ['ORB_SIM_CONTROL']}{path}"
    command = [os.environ["ORB_SIM_CTL_CMD"], "curl", "-sS", "-w", "\n%{http_code}", url]
    if method == "POST":
        command[2:2] = ["--data", ""]
    result = subprocess.run(command, capture_output=True, text=True)
    check(result.returncode == 0, f"control {method} {path}: curl failed: {result.stderr}")
    body, _, status = result.stdout.rpartition("\n")
    check(status == "200", f"control {method} {path}: status {status}: {body}")
    return body


def set_faults(device, **knobs):
    query = "&".join(f"{k}={v}" for k, v in knobs.items())
    control("POST", f"/faults?device={device}&{query}")


# --- datagrams

def mac_bytes(text):
    return bytes(int(part, 16) for part in text.split(":"))


def ip_bytes(text):
    return socket.inet_aton(text)


def search_request(stamp=None):
    stamp = int(time.time()) if stamp is None else stamp
    return (b"\xfd\xfd\x00\x00\xa1\x00" + b"\xff" * 6 + b"\x00" * 4 + b"\x00\x00\x03\x00\x15\x50"
            + struct.pack("<I", stamp & 0xFFFFFFFF) + b"\xff\xff\x00\x00")


def udp_socket(source="0.0.0.0"):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sock.bind((source, 0))
    return sock


def receive_until(sock, done, what):
    """Datagrams (bytes, sender) until done(received) holds."""
    received = []
    deadline = time.monotonic() + BOUND
    while not done(received):
        left = deadline - time.monotonic()
        if left <= 0:
            raise Failure(f"no {what} (received {len(received)} datagram(s): "
                          f"{[(len(d), p) for d, p in received]})")
        sock.settimeout(left)
        try:
            data, peer = sock.recvfrom(4096)
        except socket.timeout:
            continue
        received.append((data, peer[0]))
    return received


def reply_mac(reply):
    """The MAC of a search reply of either layout, as text."""
    offset = 228 if len(reply) == 342 else 220
    return ":".join(f"{b:02x}" for b in reply[offset:offset + 6])


def search(macs, source="0.0.0.0"):
    """Broadcasts one search; returns {mac: (reply, sender)} once every MAC in macs answered."""
    sock = udp_socket(source)
    sock.sendto(search_request(), ("255.255.255.255", PORT))
    wanted = set(macs)

    def done(received):
        return wanted <= {reply_mac(d) for d, _ in received if len(d) in (334, 342)}

    received = receive_until(sock, done, f"search reply from {', '.join(sorted(wanted))}")
    sock.close()
    return {reply_mac(d): (d, peer) for d, peer in received if len(d) in (334, 342)}


def text_at(data, offset, limit):
    return data[offset:offset + limit].split(b"\x00", 1)[0].decode("latin-1")


def reply_fields(reply):
    """The fields the wizard reads, from the offsets of either layout."""
    shift = 0 if len(reply) == 342 else -8
    fields = {
        "length": len(reply),
        "model": text_at(reply, 158 + shift, 70),
        "mac": reply_mac(reply),
        "deviceName": text_at(reply, 234 + shift, 64),
        "ip": socket.inet_ntoa(reply[298 + shift:302 + shift]),
        "port": struct.unpack_from("<H", reply, 302 + shift)[0],
    }
    if len(reply) == 342:
        fields["timeStamp"] = struct.unpack_from("<I", reply, 22)[0]
    return fields


def b64(text):
    return base64.b64encode(text.encode("latin-1"))


def slot(data=b""):
    check(len(data) <= 64, "a slot holds 64 bytes")
    return data + b"\x00" * (64 - len(data))


def proof(secret, first, second):
    text = secret.encode("latin-1") + b":" + f"{first:X}{second:X}".encode()
    return hashlib.sha256(text).hexdigest().upper().encode()


def aes_256_ctr(key, counter, data):
    result = subprocess.run(
        ["openssl", "enc", "-aes-256-ctr", "-K", key.hex(), "-iv", counter.hex(), "-nosalt"],
        input=data, capture_output=True)
    check(result.returncode == 0, f"openssl enc failed: {result.stderr.decode()}")
    check(len(result.stdout) == len(data), "openssl enc changed the length")
    return result.stdout


def account_request(opcode, user, password, mac, ip, long_header, new_password=None,
                    sequence=1, clock_delta=0):
    """A login check (0xA3) or password change (0xA4) as the recorder expects it."""
    payload_length = 128 if opcode == 0xA3 else 256
    header = (b"\xfd\xfd" + struct.pack("<HH", sequence, opcode) + mac_bytes(mac) + ip_bytes(ip)
              + struct.pack("<HHH", 0x7777, 3 if long_header else 1, payload_length))
    if not long_header:
        payload = slot(b64(user)) + slot(b64(password))
        if opcode == 0xA4:
            payload += slot(b64(user)) + slot(b64(new_password))
        return header + payload
    stamp = (int(time.time()) + clock_delta) & 0xFFFFFFFF
    stamp_bytes = struct.pack("<I", stamp)
    header += stamp_bytes + b"\xff\xff\x00\x00"
    payload = slot(b64(user)) + slot(proof(password, stamp, 0xFFFF))
    if opcode == 0xA4:
        payload += slot(b64(user)) + slot(b64(new_password))
    mac_hex = mac.replace(":", "").upper()
    key = (password + ":" + mac_hex).encode("latin-1")[:32].ljust(32, b"\x00")
    counter = b"\x00\x00" + mac_bytes(mac) + stamp_bytes + b"\xff\xff\x00\x00"
    return header + aes_256_ctr(key, counter, payload)


def account_exchange(datagram, source="0.0.0.0"):
    """Broadcasts an account request; returns the first reply with the same opcode."""
    opcode = struct.unpack_from("<H", datagram, 4)[0]
    sock = udp_socket(source)
    sock.sendto(datagram, ("255.255.255.255", PORT))

    def answered(received):
        return any(len(d) >= 22 and struct.unpack_from("<H", d, 4)[0] == opcode
                   for d, _ in received)

    received = receive_until(sock, answered, f"reply to opcode 0x{opcode:02X}")
    sock.close()
    return next(d for d, _ in received if struct.unpack_from("<H", d, 4)[0] == opcode)


def status_word(reply):
    return struct.unpack_from("<H", reply, 16)[0]


def clock_delta(rec):
    """The recorder's clock minus ours, as its search reply tells it."""
    reply, _ = search([rec["mac"]])[rec["mac"]]
    if len(reply) != 342:
        return 0
    return reply_fields(reply)["timeStamp"] - int(time.time())


# --- HTTP through curl's command line (libcurl's own Basic and Digest)

def curl(url, *options, user=None, data=None, headers=()):
    """(status, response headers as text, body bytes)."""
    with tempfile.TemporaryDirectory() as tmp:
        head = os.path.join(tmp, "head")
        body = os.path.join(tmp, "body")
        command = ["curl", "-sS", "-g", "-o", body, "-D", head, "-w", "%{http_code}"]
        command += list(options)
        if "ORB_SIM_CA" in os.environ:
            command += ["--cacert", os.environ["ORB_SIM_CA"]]
        if user is not None:
            command += ["-u", user]
        for h in headers:
            command += ["-H", h]
        if data is not None:
            command += ["--data-binary", data]
        command.append(url)
        result = subprocess.run(command, capture_output=True, text=True)
        check(result.returncode == 0,
              f"curl {' '.join(options)} {url}: exit {result.returncode}: {result.stderr.strip()}")
        with open(head, "rb") as f:
            head_text = f.read().decode("latin-1")
        with open(body, "rb") as f:
            content = f.read()
    return int(result.stdout), head_text, content


def pairs(body):
    """key=value lines separated by CR LF."""
    result = {}
    for line in body.decode("latin-1").split("\r\n"):
        if "=" in line:
            key, value = line.split("=", 1)
            result[key] = value
    return result


def tls_context():
    context = ssl.create_default_context(cafile=os.environ["ORB_SIM_CA"])
    context.check_hostname = True
    return context

