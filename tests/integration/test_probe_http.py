#!/usr/bin/env python3
"""orb-probe get and orb-probe command (the wizard's HTTP client and command worker) against
scenarios/probe-http.json: a factory recorder (Basic with "admin:") with three cameras, a
Digest recorder with a password on port 8080, a Basic recorder with a password, and the
portal. Every request is checked as orb-sim journalled it; state changes through the control
channel's /state. Usage: test_probe_http.py ORB-PROBE recorder|cameras|portal"""

import base64
import json
import os
import re
import subprocess
import sys
import urllib.parse
import uuid

from orbtest import (check, control, curl, journal, pairs, run, scenario, set_faults,
                     wait_journal)

PROBE = sys.argv[1]
GROUP = sys.argv[2] if len(sys.argv) > 2 else "all"

FACTORY = "10.77.0.10"
DIGEST = "10.77.0.11"
DIGEST_PORT = "8080"
BASIC = "10.77.0.12"
PORTAL = "10.77.0.100"
AUTH_BASIC_ADMIN = "Basic " + base64.b64encode(b"admin:").decode()


def rec_by_ip(ip, state=None):
    source = state if state is not None else scenario()
    return next(r for r in source["recorders"] if r["ip"] == ip)


def state():
    return json.loads(control("GET", "/state"))


def camera_state(ip):
    for rec in state()["recorders"]:
        for camera in rec.get("cameras", []):
            if camera["ip"] == ip:
                return camera
    raise AssertionError(f"no camera {ip} in /state")


def b64(text):
    return base64.b64encode(text.encode("utf-8")).decode()


def query_escaped(text):
    """The recorder query escaping: % & # + blank, control and non-ASCII bytes as %XX."""
    return "".join(f"%{b:02X}" if b in b"%&#+ " or b < 0x20 or b >= 0x80 else chr(b)
                   for b in text.encode("utf-8"))


# --- the probe

def probe(*args, env=None):
    result = subprocess.run([PROBE, *args], capture_output=True, timeout=90, env=env)
    return result.returncode, result.stdout, result.stderr.decode("utf-8", "replace")


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            if nxt == "x":
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"r": "\r", "n": "\n", "\\": "\\"}[nxt])
            i += 2
            continue
        out.append(text[i])
        i += 1
    return "".join(out)


def command(code, host, *extra, params=(), env=None, more=()):
    """Runs a command, then each (code, params) of more on the same worker; returns (exit,
    [results of each command], stderr)."""
    args = ["command", str(code), "--host", host, *extra]
    for step_code, step_params in [(None, params), *more]:
        if step_code is not None:
            args += ["--then", str(step_code)]
        for name, value in step_params:
            args += ["--param", f"{name}={value}"]
    code_, out, err = probe(*args, env=env)
    steps, current = [], None
    for line in out.decode("utf-8").splitlines():
        key, _, value = line.partition("=")
        if key == "command" or current is None:
            current = {"items": []}
            steps.append(current)
            if key == "command":
                continue
        if key == "item":
            current["items"].append(unescape(value))
        else:
            current[key] = unescape(value)
    return code_, steps, err


def portal_env(with_ca=True):
    env = dict(os.environ)
    env.pop("SSL_CERT_FILE", None)
    env.pop("SSL_CERT_DIR", None)
    if with_ca:
        env["SSL_CERT_FILE"] = os.environ["ORB_SIM_CA"]
    return env


# --- the journal

def http_entries(since=0):
    return [e for e in journal()[since:] if e.get("type") == "http"]


def mark():
    """Where the next request will land in the journal. The simulator journals a request
    after answering it, so a request made just before could still be on its way in."""
    fence()
    return len(journal())


def fence():
    """Every request answered before now is in the journal once this one is."""
    path = f"/fence-{uuid.uuid4().hex}"
    curl(f"http://{FACTORY}{path}")
    wait_journal(lambda e: e.get("type") == "http" and e.get("target") == path, f"GET {path}")
    return path


def requests_since(start, device_ip=None):
    """The http entries after start, up to the fence, optionally only those to one device."""
    fenced = fence()
    found = []
    for e in http_entries(start):
        if e.get("target") == fenced:
            break
        found.append(e)
    if device_ip is not None:
        found = [e for e in found if device_matches(e, device_ip)]
    return found


def device_matches(entry, ip):
    device = entry.get("device", "")
    if device.startswith("recorder "):
        macs = {r["mac"].lower(): r["ip"] for r in scenario()["recorders"]}
        return macs.get(device.split(" ", 1)[1].lower()) == ip
    if device.startswith("camera "):
        return device.split(" ", 1)[1].split(":")[0] == ip
    return device == "portal" and ip == PORTAL


def header(entry, name):
    return [v for k, v in entry.get("headers", []) if k.lower() == name.lower()]


def summary(entries):
    return [(e.get("method"), e.get("target"), e.get("status"), header(e, "authorization"))
            for e in entries]


def digest_fields(value):
    check(value.startswith("Digest "), f"not Digest: {value}")
    return {k: a if a else b for k, a, b in
            re.findall(r'(\w+)=(?:"([^"]*)"|([^,\s]*))', value[len("Digest "):])}


def challenge_realm(url):
    _, head, _ = curl(url)
    match = re.search(r'(?im)^www-authenticate:\s*digest\s.*realm="([^"]*)"', head)
    check(match is not None, f"no Digest challenge from {url}: {head!r}")
    return match.group(1)


def expect_plain(entries, target, auth, tls=False):
    """Exactly one GET of target, answered 200, with that Authorization."""
    check(len(entries) == 1, f"{target}: want one request, journal has {summary(entries)}")
    e = entries[0]
    check((e["method"], e["target"], e["tls"], e["status"]) == ("GET", target, tls, 200),
          f"{target}: journal shows {summary(entries)}, tls {e['tls']}")
    check(header(e, "authorization") == [auth],
          f"{target}: Authorization {header(e, 'authorization')}, want {auth}")


def expect_challenged(entries, target, tls=False):
    """A request without Authorization answered 401, then the answered one; returns it."""
    check(len(entries) == 2, f"{target}: want 401 then the answer, journal has "
                             f"{summary(entries)}")
    first, second = entries
    check(first["target"] == target and second["target"] == target,
          f"targets {first['target']!r}, {second['target']!r}, want {target!r}")
    check(first["status"] == 401 and not header(first, "authorization"),
          f"first request: {summary([first])}")
    check(second["status"] == 200 and second["method"] == "GET", f"answer: {summary([second])}")
    check(first["tls"] is tls and second["tls"] is tls, f"tls {first['tls']}, {second['tls']}")
    auth = header(second, "authorization")
    check(len(auth) == 1, f"answer carries Authorization {auth}")
    return auth[0]


def curl_portal_info(ip, port, user):
    """Recorder's /config/nubraportal through curl, in the order GetPortalInfo joins it."""
    status, _, body = curl(f"http://{ip}:{port}/config/nubraportal", "--anyauth", user=user)
    check(status == 200, f"curl nubraportal: {status}")
    values = pairs(body)
    keys = ("status", "access", "portal_url", "portal_number", "portal_dfp", "model",
            "localhyperlink")
    return "&".join(values[k] for k in keys), body


# --- recorder commands: paths, queries and Authorization

def test_factory_recorder_sends_basic_admin_colon_on_every_request():
    expected_info, _ = curl_portal_info(FACTORY, 80, "admin:")
    start = mark()
    code, steps, err = command(2014, FACTORY)
    check(code == 0 and steps[0]["status"] == "2", f"2014: exit {code} {steps} {err}")
    check(steps[0]["portal"] == expected_info,
          f"portal={steps[0]['portal']!r}, curl read {expected_info!r}")
    expect_plain(requests_since(start, FACTORY), "/config/nubraportal", AUTH_BASIC_ADMIN)

    start = mark()
    code, steps, err = command(2012, FACTORY)
    check(code == 0 and steps[0]["status"] == "2", f"2012: exit {code} {steps} {err}")
    expect_plain(requests_since(start, FACTORY), "/config/nubraregstatus?status=1",
                 AUTH_BASIC_ADMIN)
    check(rec_by_ip(FACTORY, state())["portal"]["status"] == "1", "status not set to 1")


def test_format_and_poll_until_done():
    start = mark()
    code, steps, err = command(2006, FACTORY, params=[("storageId", 0), ("partition", 1),
                                                      ("fileSystem", 2)])
    check(code == 0 and steps[0]["status"] == "2", f"2006: exit {code} {steps} {err}")
    expect_plain(requests_since(start, FACTORY),
                 "/config/storageformat?storageid=0&partition=1&fs=2", AUTH_BASIC_ADMIN)
    polls = []
    # The simulated format takes 600 ms; every poll is a real request.
    while not polls or polls[-1] < 100:
        check(len(polls) < 400, f"the format never reached 100: {polls[-5:]}")
        start = mark()
        code, steps, err = command(2008, FACTORY)
        check(code == 0 and steps[0]["status"] == "2", f"2008: exit {code} {steps} {err}")
        polls.append(int(steps[0]["poll"]))
    expect_plain(requests_since(start, FACTORY), "/config/storageformatpoll", AUTH_BASIC_ADMIN)
    check(polls == sorted(polls) and all(0 <= p <= 100 for p in polls), f"polls {polls}")
    drive = rec_by_ip(FACTORY, state())["drive"]
    check(drive["ready"] == "1" and drive["partitionInfo"].split(",")[5] == "2",
          f"drive after the format: {drive}")


def test_reg_status_without_a_one_fails_after_exactly_two_requests():
    set_faults(FACTORY, forceStatus=200)
    try:
        start = mark()
        code, steps, err = command(2012, FACTORY)
        entries = requests_since(start, FACTORY)
    finally:
        set_faults(FACTORY, forceStatus=0)
    check(code == 1 and steps[0]["status"] == "4", f"exit {code} {steps} {err}")
    check([e["target"] for e in entries] == ["/config/nubraregstatus?status=1"] * 2,
          f"journal {summary(entries)}")
    gap = entries[1]["time"] - entries[0]["time"]
    check(gap >= 95, f"second request {gap} ms after the first")


def test_digest_recorder_is_answered_after_its_challenge():
    rec = rec_by_ip(DIGEST)
    realm = challenge_realm(f"http://{DIGEST}:{DIGEST_PORT}/config/nubraportal")
    expected_info, _ = curl_portal_info(DIGEST, DIGEST_PORT, f"admin:{rec['adminPassword']}")
    start = mark()
    code, steps, err = command(2014, DIGEST, "--port", DIGEST_PORT, "--password",
                               rec["adminPassword"])
    check(code == 0 and steps[0]["status"] == "2", f"exit {code} {steps} {err}")
    check(steps[0]["portal"] == expected_info, f"portal={steps[0]['portal']!r}")
    auth = expect_challenged(requests_since(start, DIGEST), "/config/nubraportal")
    check(auth.startswith('Digest username="admin",'), f"Authorization {auth}")
    fields = digest_fields(auth)
    check(fields.get("realm") == realm and fields.get("nc") == "00000001"
          and fields.get("uri") == "/config/nubraportal"
          and re.fullmatch(r"[0-9a-f]{32}", fields.get("response", "")),
          f"Digest fields {fields} (realm {realm!r})")

    start = mark()
    code, steps, err = command(2014, DIGEST, "--port", DIGEST_PORT, "--password", "not-it")
    check(code == 1 and steps[0]["status"] == "4", f"wrong password: exit {code} {steps}")
    entries = requests_since(start, DIGEST)
    check([e["status"] for e in entries] == [401, 401]
          and header(entries[1], "authorization")[0].startswith("Digest "),
          f"wrong password: journal {summary(entries)}")


def test_basic_recorder_with_a_password_is_answered_after_its_challenge():
    rec = rec_by_ip(BASIC)
    start = mark()
    code, steps, err = command(2012, BASIC, "--password", rec["adminPassword"])
    check(code == 0 and steps[0]["status"] == "2", f"exit {code} {steps} {err}")
    auth = expect_challenged(requests_since(start, BASIC), "/config/nubraregstatus?status=1")
    check(auth == "Basic " + b64("admin:" + rec["adminPassword"]), f"Authorization {auth}")


def test_digest_challenge_knob():
    # A recorder set to Basic that challenges for Digest gets Digest; the factory password
    # still goes as Basic up front, which the recorder takes.
    rec = rec_by_ip(BASIC)
    set_faults(BASIC, digestChallenge="true")
    set_faults(FACTORY, digestChallenge="true")
    try:
        start = mark()
        code, steps, err = command(2014, BASIC, "--password", rec["adminPassword"])
        entries = requests_since(start, BASIC)
        start = mark()
        factory_code, factory_steps, _ = command(2014, FACTORY)
        factory_entries = requests_since(start, FACTORY)
    finally:
        set_faults(BASIC, digestChallenge="false")
        set_faults(FACTORY, digestChallenge="false")
    check(code == 0 and steps[0]["status"] == "2", f"exit {code} {steps} {err}")
    auth = expect_challenged(entries, "/config/nubraportal")
    check(digest_fields(auth).get("username") == "admin", f"Authorization {auth}")
    check(factory_code == 0 and factory_steps[0]["status"] == "2", f"factory {factory_steps}")
    expect_plain(factory_entries, "/config/nubraportal", AUTH_BASIC_ADMIN)


def test_registration_info_goes_over_https_escaped():
    email = "ann+tag&co x#1%@example.com"
    password = "p\u00e4ss w+&#%\x01!"
    target = (f"/config/nubrareginfo?email={query_escaped(email)}"
              f"&password={query_escaped(password)}&status=1")
    start = mark()
    code, steps, err = command(2016, FACTORY, params=[("email", email), ("password", password)])
    check(code == 0 and steps[0]["status"] == "2", f"exit {code} {steps} {err}")
    expect_plain(requests_since(start, FACTORY), target, AUTH_BASIC_ADMIN, tls=True)
    portal = rec_by_ip(FACTORY, state())["portal"]
    check((portal["registeredEmail"], portal["registeredPassword"]) == (email, password),
          f"recorder stored {portal['registeredEmail']!r} / {portal['registeredPassword']!r}")

    rec = rec_by_ip(DIGEST)
    start = mark()
    code, steps, err = command(2016, DIGEST, "--port", DIGEST_PORT, "--password",
                               rec["adminPassword"], params=[("email", "a@b.example"),
                                                             ("password", "x")])
    check(code == 0 and steps[0]["status"] == "2", f"digest: exit {code} {steps} {err}")
    auth = expect_challenged(requests_since(start, DIGEST),
                             "/config/nubrareginfo?email=a@b.example&password=x&status=1",
                             tls=True)
    check(auth.startswith('Digest username="admin",'), f"Authorization {auth}")


# --- orb-probe get

def test_get_with_basic_and_digest():
    url = f"http://{FACTORY}/config/nubraportal"
    _, curl_body = curl_portal_info(FACTORY, 80, "admin:")
    start = mark()
    code, body, err = probe("get", url)
    check((code, err.strip(), body) == (0, "status=200", curl_body),
          f"Basic: exit {code} {err!r} body {body!r}, curl read {curl_body!r}")
    expect_plain(requests_since(start, FACTORY), "/config/nubraportal", AUTH_BASIC_ADMIN)

    start = mark()
    code, body, err = probe("get", f"https://{FACTORY}/config/nubraportal")
    check((code, err.strip(), body) == (0, "status=200", curl_body), f"https: {code} {err!r}")
    expect_plain(requests_since(start, FACTORY), "/config/nubraportal", AUTH_BASIC_ADMIN,
                 tls=True)

    rec = rec_by_ip(DIGEST)
    _, digest_body = curl_portal_info(DIGEST, DIGEST_PORT, f"admin:{rec['adminPassword']}")
    start = mark()
    code, body, err = probe("get", "--password", rec["adminPassword"],
                            f"http://{DIGEST}:{DIGEST_PORT}/config/nubraportal")
    check((code, err.strip(), body) == (0, "status=200", digest_body),
          f"Digest: exit {code} {err!r} body {body!r}")
    auth = expect_challenged(requests_since(start, DIGEST), "/config/nubraportal")
    check(auth.startswith('Digest username="admin",'), f"Authorization {auth}")


def test_get_statuses():
    code, _, err = probe("get", f"http://{FACTORY}/config/no-such-page?x=1")
    check((code, err.strip()) == (0, "status=404"), f"404: exit {code} {err!r}")
    code, body, err = probe("get", "--password", "not-it",
                            f"http://{DIGEST}:{DIGEST_PORT}/config/nubraportal")
    check(code == 1 and err.strip().endswith("status=401"), f"401: exit {code} {err!r}")
    for bad in (["get"], ["get", "ftp://x/"], ["get", "http://host:0/"],
                ["get", "--timeout"], ["get", "--bogus", "1", f"http://{FACTORY}/"]):
        code, _, err = probe(*bad)
        check(code == 2 and err.strip(), f"{bad}: exit {code} {err!r}")


def test_command_usage_errors():
    for bad in (["command", "2014"], ["command", "9999", "--host", FACTORY],
                ["command", "2006", "--host", FACTORY, "--param", "storageid=1"],
                ["command", "2006", "--host", FACTORY, "--param", "storageId=one"],
                ["command", "2014", "--host", FACTORY, "--then"],
                ["command", "2014", "--host", FACTORY, "--port", "70000"]):
        start = mark()
        code, out, err = probe(*bad)
        check(code == 2 and err.strip() and not out, f"{bad}: exit {code} {out!r} {err!r}")
        sent = requests_since(start)
        check(not sent, f"{bad} sent {summary(sent)}")


# --- cameras

def avdev_id(ip):
    status, _, body = curl(f"http://{FACTORY}/live/avdevlist", "--basic", user="admin:")
    check(status == 200, f"avdevlist: {status}")
    for line in body.decode().split("\r\n"):
        fields = dict(f.split("=", 1) for f in line.split(";") if "=" in f)
        if fields.get("hostname") == ip:
            return fields["avdevid"]
    return None


def test_discovery_lists_the_recorders_cameras():
    start = mark()
    code, steps, err = command(2017, FACTORY)
    check(code == 0 and steps[0]["status"] == "2", f"exit {code} {steps} {err}")
    expect_plain(requests_since(start, FACTORY), "/config/nubradiscovery", AUTH_BASIC_ADMIN,
                 tls=True)
    cameras = rec_by_ip(FACTORY, state())["cameras"]
    want = [";".join(c[k] for k in ("addedFlag", "ip", "mac", "brand", "model", "account",
                                    "password", "protocol", "protocolType")) for c in cameras]
    check(steps[0]["items"] == want, f"items {steps[0]['items']}, want {want}")


def test_add_and_delete_camera():
    cam = camera_state("10.77.0.22")
    index = next(i for i, c in enumerate(rec_by_ip(FACTORY, state())["cameras"])
                 if c["ip"] == cam["ip"])
    params = [("avdevid", index), ("avdevname", "Garage door"), ("hostname", cam["ip"]),
              ("hostid", cam["mac"]), ("protocoltype", 1), ("account", "admin"),
              ("pass", "new&pass+1"), ("brand", cam["brand"]), ("product", cam["model"])]
    start = mark()
    code, steps, err = command(2010, FACTORY, params=params)
    check(code == 0 and steps[0]["status"] == "2", f"2010: exit {code} {steps} {err}")
    # A blank cannot stand in a request line; it travels as %20.
    target = (f"/config/addavdev?avdevid={index}&avdevname=Garage%20door&hostname={cam['ip']}"
              f"&hostid={cam['mac']}&protocol=1&protocoltype=1&account={b64('admin')}"
              f"&pass={b64('new&pass+1')}&brand={cam['brand']}&product={cam['model']}")
    expect_plain(requests_since(start, FACTORY), target, AUTH_BASIC_ADMIN)
    after = camera_state(cam["ip"])
    check((after["addedFlag"], after["password"]) == ("1", "new&pass+1"), f"added: {after}")

    start = mark()
    code, steps, err = command(2011, FACTORY, params=[("avdevid", index)])
    check(code == 0 and steps[0]["status"] == "2", f"2011: exit {code} {steps} {err}")
    expect_plain(requests_since(start, FACTORY), f"/config/delavdev?avdevid={index}",
                 AUTH_BASIC_ADMIN)
    check(camera_state(cam["ip"])["addedFlag"] == "0", "camera still added")


def change_camera_password(cam, old, new):
    return command(2037, FACTORY, params=[
        ("camHost", cam["ip"]), ("camProtocol", cam["protocol"]),
        ("camProtocolType", cam["protocolType"]), ("camUser", "admin"),
        ("camOldPassword", old), ("camNewPassword", new)])


def check_change_requests(entries, tail_pattern):
    targets = [e["target"] for e in entries]
    check(len(entries) == 3 and targets[0] == "/live/avdevlist"
          and re.fullmatch(r"/config/login(\?key=[0-9A-Fa-f]+)?", targets[1])
          and re.fullmatch(tail_pattern, targets[2]), f"journal {summary(entries)}")
    check(all(e["tls"] is True and e["method"] == "GET" and e["status"] == 200
              and header(e, "authorization") == [AUTH_BASIC_ADMIN] for e in entries),
          f"journal {summary(entries)}")


def test_camera_password_change_by_avdevid_and_by_hostname():
    hexes = r"oldpassword=[0-9A-Fa-f]{128}&newpassword=[0-9A-Fa-f]{128}"
    added = camera_state("10.77.0.21")
    ident = avdev_id(added["ip"])
    check(ident is not None, "camera .21 is not in /live/avdevlist")
    start = mark()
    code, steps, err = change_camera_password(added, added["adminPassword"], "Front d\u00f6or&2")
    check(code == 0 and steps[0]["status"] == "2", f"avdevid form: exit {code} {steps} {err}")
    check_change_requests(requests_since(start, FACTORY),
                          rf"/config/avdevchangepassword\?avdevid={ident}&{hexes}")
    check(camera_state(added["ip"])["adminPassword"] == "Front d\u00f6or&2",
          f"the recorder deciphered {camera_state(added['ip'])['adminPassword']!r}")

    other = camera_state("10.77.0.23")
    check(avdev_id(other["ip"]) is None, "camera .23 should not be added")
    start = mark()
    code, steps, err = change_camera_password(other, other["adminPassword"], "Yard-N3w")
    check(code == 0 and steps[0]["status"] == "2", f"hostname form: exit {code} {steps} {err}")
    check_change_requests(
        requests_since(start, FACTORY),
        rf"/config/avdevchangepassword\?hostname={re.escape(other['ip'])}"
        rf"&protocol={other['protocol']}&protocoltype={other['protocolType']}"
        rf"&username={re.escape(b64('admin'))}&{hexes}")
    check(camera_state(other["ip"])["adminPassword"] == "Yard-N3w",
          f"the recorder deciphered {camera_state(other['ip'])['adminPassword']!r}")

    code, steps, err = change_camera_password(other, "not-the-old-one", "Yard-N3w-2")
    check(code == 1 and steps[0]["status"] == "4", f"wrong old password: {code} {steps}")
    check(camera_state(other["ip"])["adminPassword"] == "Yard-N3w", "changed anyway")


def test_detect_camera_accepted_and_refused():
    cam = camera_state("10.77.0.22")
    for password, status in ((cam["adminPassword"], "2"), (cam["adminPassword"] + "x", "4")):
        start = mark()
        code, steps, err = command(2038, FACTORY, params=[
            ("camHost", cam["ip"]), ("camUser", "admin"), ("camPassword", password),
            ("camProtocol", cam["protocol"]), ("camBrand", cam["brand"]),
            ("camProduct", cam["model"])])
        check(steps[0]["status"] == status and code == (0 if status == "2" else 1),
              f"password {password!r}: exit {code} {steps} {err}")
        entries = requests_since(start, FACTORY)
        target = (f"/config/avdevdetect?hostname={cam['ip']}&account={b64('admin')}"
                  f"&pass={b64(password)}&brand={cam['brand']}&protocol={cam['protocol']}"
                  f"&product={cam['model']}")
        check(len(entries) == 1 and entries[0]["target"] == target and entries[0]["tls"] is True
              and entries[0]["status"] == (200 if status == "2" else 409)
              and header(entries[0], "authorization") == [AUTH_BASIC_ADMIN],
              f"journal {summary(entries)}, want {target}")


def test_camera_admin_password_after_the_cameras_challenge():
    cam = camera_state("10.77.0.22")
    start = mark()
    code, steps, err = command(2030, cam["ip"], "--password", cam["adminPassword"],
                               params=[("newAdminPassword", "Garage-N3w")])
    check(code == 0 and steps[0]["status"] == "2", f"exit {code} {steps} {err}")
    auth = expect_challenged(
        requests_since(start, cam["ip"]),
        "/system.cgi?AdminID=admin&AdminPassword=Garage-N3w&ConfigReboot=No")
    check(auth == "Basic " + b64("admin:" + cam["adminPassword"]), f"Authorization {auth}")
    check(camera_state(cam["ip"])["adminPassword"] == "Garage-N3w", "password not changed")


# --- the portal

SIGNIN_KEYS = ["client", "wizard_version", "lang", "email", "password", "err_count"]
BIND_KEYS = ["client", "wizard_version", "lang", "nubra_no", "device_password", "dfp",
             "err_count"]
SIGNUP_KEYS = ["client", "wizard_version", "lang", "action", "accept", "email", "password",
               "password_verify", "name_first", "name_last", "err_count"]


def form(entry, keys):
    """The decoded form of a portal POST, after checking its frame."""
    body = entry.get("bodyText", "")
    check(body.endswith("\r\n\r\n") and "\r\n" not in body[:-4], f"body {body!r}")
    fields = urllib.parse.parse_qsl(body[:-4], keep_blank_values=True, strict_parsing=True,
                                    encoding="utf-8", errors="strict")
    check([k for k, _ in fields] == keys, f"fields {[k for k, _ in fields]}, want {keys}")
    return dict(fields)


def portal_posts(entries, path):
    posts = [e for e in entries if e.get("device") == "portal"]
    check(all(e["method"] == "POST" and e["tls"] is True and e["target"] == path
              and not header(e, "authorization") for e in posts), f"journal {summary(posts)}")
    return posts


def test_sign_in_error_count_cookie_and_bind():
    rec = rec_by_ip(BASIC)
    good = [("email", "installer@example.com"), ("password", "Portal-2024")]
    bind = [("nubraNo", rec["portal"]["portalNumber"]), ("password", rec["adminPassword"]),
            ("dfp", rec["portal"]["portalDfp"])]
    start = mark()
    code, steps, err = command(
        1001, PORTAL, params=[("email", "installer@example.com"), ("password", "wrong")],
        env=portal_env(),
        more=[(1001, good), (1002, bind), (1002, [*bind[:1], ("password", "nope"), *bind[2:]])])
    entries = requests_since(start)
    check(code == 0 and [s.get("status") for s in steps] == ["2"] * 4,
          f"exit {code} {steps} {err} journal {summary(entries)}")
    check(re.match("SIGNINERR", steps[0]["reply"]) and "success" in steps[1]["reply"]
          and "success" in steps[2]["reply"] and "BINDERR" in steps[3]["reply"],
          f"replies {[s['reply'] for s in steps]}")
    check([s["errCount"] for s in steps] == ["1", "0", "0", "1"],
          f"errCount {[s['errCount'] for s in steps]}")
    signins = portal_posts(entries[:2], "/account/?signin")
    binds = portal_posts(entries[2:], "/account/?add")
    check(len(signins) == 2 and len(binds) == 2, f"journal {summary(entries)}")
    for e in signins:
        check(header(e, "content-type") == ["application/x-www-form-urlencoded"],
              f"sign-in Content-Type {header(e, 'content-type')}")
    first, second = (form(e, SIGNIN_KEYS) for e in signins)
    check(first == {"client": "wizard", "wizard_version": "ORB-780Z_V 2.03.02", "lang": "en",
                    "email": "installer@example.com", "password": "wrong", "err_count": "0"},
          f"first sign-in {first}")
    check(second["err_count"] == "1" and second["password"] == "Portal-2024",
          f"second sign-in {second}")
    cookie = steps[1]["cookie"]
    check(re.fullmatch(r"[0-9a-f]{32}", cookie), f"cookie {cookie!r}")
    for e, err_count, password in ((binds[0], "0", rec["adminPassword"]),
                                   (binds[1], "0", "nope")):
        check(header(e, "content-type") == ["application/x-www-form-urlencoded"],
              f"bind Content-Type {header(e, 'content-type')}")
        check(header(e, "cookie") == [f"nubra={cookie};"], f"bind Cookie {header(e, 'cookie')}")
        fields = form(e, BIND_KEYS)
        check((fields["nubra_no"], fields["device_password"], fields["dfp"],
               fields["err_count"]) == (rec["portal"]["portalNumber"], password,
                                        rec["portal"]["portalDfp"], err_count),
              f"bind {fields}")


def test_missing_password_does_not_count():
    start = mark()
    code, steps, err = command(1001, PORTAL, params=[("email", "installer@example.com")],
                               env=portal_env(),
                               more=[(1001, [("email", "installer@example.com")])])
    check(code == 0 and [s["errCount"] for s in steps] == ["0", "0"]
          and all(s["reply"].startswith("SIGNINERR001") for s in steps),
          f"exit {code} {steps} {err}")
    posts = portal_posts(requests_since(start), "/account/?signin")
    check([form(e, SIGNIN_KEYS)["err_count"] for e in posts] == ["0", "0"],
          f"journal {summary(posts)}")


def test_sign_up_keeps_plus_and_ampersand():
    account = [("email", "ann+tag&co@example.com"), ("password", "Pa+ss&w0rd \u00e9")]
    signup = [*account, ("passwordVerify", "Pa+ss&w0rd \u00e9"), ("nameFirst", "Zo\u00eb"),
              ("nameLast", "O'Neil & Sons"), ("lang", "de")]
    start = mark()
    code, steps, err = command(1000, PORTAL, params=signup, env=portal_env(),
                               more=[(1001, account), (1000, signup)])
    entries = requests_since(start)
    check([s.get("status") for s in steps] == ["2"] * 3, f"exit {code} {steps} {err}")
    check("success" in steps[0]["reply"] and steps[0]["cookie"]
          and "success" in steps[1]["reply"] and "SIGNUPERR" in steps[2]["reply"],
          f"replies {[s['reply'] for s in steps]}")
    check([s["errCount"] for s in steps] == ["0", "0", "1"], f"errCount {steps}")
    signups = [e for e in entries if e["target"] == "/signin"]
    portal_posts(signups, "/signin")
    check(len(signups) == 2, f"journal {summary(entries)}")
    check(header(signups[0], "content-type") ==
          ["application/x-www-form-urlencoded; charset=utf-8"],
          f"sign-up Content-Type {header(signups[0], 'content-type')}")
    fields = form(signups[0], SIGNUP_KEYS)
    check(fields == {"client": "wizard", "wizard_version": "ORB-780Z_V 2.03.02", "lang": "de",
                     "action": "sign-up", "accept": "accept", "email": "ann+tag&co@example.com",
                     "password": "Pa+ss&w0rd \u00e9", "password_verify": "Pa+ss&w0rd \u00e9",
                     "name_first": "Zo\u00eb", "name_last": "O'Neil & Sons", "err_count": "0"},
          f"sign-up form {fields}")
    check(form(signups[1], SIGNUP_KEYS)["err_count"] == "0", "second sign-up err_count")
    accounts = [a["email"] for a in state()["portal"]["accounts"]]
    check("ann+tag&co@example.com" in accounts, f"portal accounts {accounts}")


def test_portal_certificate_is_checked():
    start = mark()
    code, steps, err = command(1001, PORTAL, params=[("email", "installer@example.com"),
                                                     ("password", "Portal-2024")],
                               env=portal_env(with_ca=False))
    check(code == 1 and steps[0]["status"] == "4", f"without the CA: exit {code} {steps} {err}")
    posts = [e for e in requests_since(start) if e.get("device") == "portal"]
    check(not posts, f"a request went through unverified: {summary(posts)}")


GROUPS = {
    "recorder": [test_factory_recorder_sends_basic_admin_colon_on_every_request,
                 test_format_and_poll_until_done,
                 test_reg_status_without_a_one_fails_after_exactly_two_requests,
                 test_digest_recorder_is_answered_after_its_challenge,
                 test_basic_recorder_with_a_password_is_answered_after_its_challenge,
                 test_digest_challenge_knob,
                 test_registration_info_goes_over_https_escaped,
                 test_get_with_basic_and_digest, test_get_statuses, test_command_usage_errors],
    "cameras": [test_discovery_lists_the_recorders_cameras, test_add_and_delete_camera,
                test_camera_password_change_by_avdevid_and_by_hostname,
                test_detect_camera_accepted_and_refused,
                test_camera_admin_password_after_the_cameras_challenge],
    "portal": [test_sign_in_error_count_cookie_and_bind, test_missing_password_does_not_count,
               test_sign_up_keeps_plus_and_ampersand, test_portal_certificate_is_checked],
}

if __name__ == "__main__":
    run(*(GROUPS[GROUP] if GROUP in GROUPS else sum(GROUPS.values(), [])))
