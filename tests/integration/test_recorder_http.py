#!/usr/bin/env python3
"""The recorder's HTTP interface through libcurl's own Basic and Digest (curl's command line)
and Python's urllib handlers, plain and over HTTPS, with scenarios/two-recorders.json: the
first recorder asks for Basic with the empty factory password on port 80, the second for
Digest on port 8080. Fault knobs are switched through the control channel."""

import http.client
import re
import urllib.error
import urllib.request

from orbtest import check, curl, pairs, recorder, run, set_faults, tls_context, wait_journal

USER = "admin"
PATH = "/config/datetime"


def url(rec, path=PATH):
    return f"http://{rec['ip']}:{rec.get('httpPort', 80)}{path}"


def challenge(head, scheme):
    """The parameters of the WWW-Authenticate header of that scheme, or None."""
    for line in head.split("\r\n"):
        name, _, value = line.partition(":")
        value = value.strip()
        if name.strip().lower() == "www-authenticate" and \
                value.lower().startswith(scheme.lower()):
            return {k: a or b for k, a, b in re.findall(r'(\w+)=(?:"([^"]*)"|([^,\s]*))', value)}
    return None


def test_basic_with_the_right_password():
    rec = recorder(0)
    status, _, body = curl(url(rec), "--basic", user=f"{USER}:")
    check(status == 200, f"status {status}")
    zone = pairs(body).get("timezone", "")
    check(zone.isdigit(), f"no numeric key timezone in {body!r}")
    entry = wait_journal(lambda e: e.get("type") == "http" and e.get("target") == PATH
                         and e.get("status") == 200, f"GET {PATH} answered 200")[-1]
    check(entry.get("method") == "GET" and entry.get("tls") is False, f"journal entry {entry}")
    auth = [v for k, v in entry.get("headers", []) if k.lower() == "authorization"]
    check(auth == ["Basic YWRtaW46"], f"journal shows Authorization {auth}")


def test_basic_refuses_a_wrong_password_and_no_password():
    rec = recorder(0)
    status, head, _ = curl(url(rec), "--basic", user=f"{USER}:wrong")
    check(status == 401, f"wrong password: status {status}")
    status, head, _ = curl(url(rec))
    check(status == 401, f"no credentials: status {status}")
    check(challenge(head, "Basic") is not None, f"no Basic challenge in {head!r}")


def test_basic_through_urllib():
    rec = recorder(0)
    manager = urllib.request.HTTPPasswordMgrWithDefaultRealm()
    manager.add_password(None, url(rec, "/"), USER, "")
    opener = urllib.request.build_opener(urllib.request.HTTPBasicAuthHandler(manager))
    with opener.open(url(rec), timeout=30) as reply:
        check(reply.status == 200, f"status {reply.status}")
        check("timezone" in pairs(reply.read()), "no key timezone")


def test_basic_over_https_with_a_certificate_for_the_address():
    rec = recorder(0)
    status, _, body = curl(f"https://{rec['ip']}{PATH}", "--basic", user=f"{USER}:")
    check(status == 200, f"status {status}")
    check("timezone" in pairs(body), f"no key timezone in {body!r}")
    wait_journal(lambda e: e.get("type") == "http" and e.get("target") == PATH
                 and e.get("tls") is True, f"GET {PATH} over TLS")
    # Python checks the certificate against the address on its own, too.
    connection = http.client.HTTPSConnection(rec["ip"], 443, context=tls_context(), timeout=30)
    connection.request("GET", PATH, headers={"Authorization": "Basic YWRtaW46"})
    reply = connection.getresponse()
    check(reply.status == 200, f"Python over TLS: status {reply.status}")
    connection.close()


def test_digest_challenge():
    rec = recorder(1)
    status, head, _ = curl(url(rec))
    check(status == 401, f"status {status}")
    params = challenge(head, "Digest")
    check(params is not None, f"no Digest challenge in {head!r}")
    for name in ("realm", "nonce", "opaque", "qop"):
        check(params.get(name), f"challenge without {name}: {params}")
    check("auth" in params["qop"].split(","), f"qop {params['qop']}")


def test_digest_through_libcurl():
    rec = recorder(1)
    status, _, body = curl(url(rec), "--digest", user=f"{USER}:{rec['adminPassword']}")
    check(status == 200, f"status {status}")
    check("timezone" in pairs(body), f"no key timezone in {body!r}")
    entry = wait_journal(lambda e: e.get("type") == "http" and e.get("target") == PATH
                         and e.get("status") == 200
                         and e.get("peer", "").startswith("10.77.") and any(
                             k.lower() == "authorization" and v.startswith("Digest ")
                             for k, v in e.get("headers", [])), "a Digest request answered 200")
    auth = next(v for k, v in entry[-1]["headers"] if k.lower() == "authorization")
    for field in ("username=\"admin\"", "qop=auth", "nc=", "cnonce=", "response=", "opaque="):
        check(field in auth, f"Authorization without {field}: {auth}")
    status = curl(url(rec), "--digest", user=f"{USER}:not-it")[0]
    check(status == 401, f"wrong password: status {status}")


def test_digest_through_urllib():
    rec = recorder(1)
    manager = urllib.request.HTTPPasswordMgrWithDefaultRealm()
    manager.add_password(None, url(rec, "/"), USER, rec["adminPassword"])
    opener = urllib.request.build_opener(urllib.request.HTTPDigestAuthHandler(manager))
    with opener.open(url(rec), timeout=30) as reply:
        check(reply.status == 200, f"status {reply.status}")
    manager = urllib.request.HTTPPasswordMgrWithDefaultRealm()
    manager.add_password(None, url(rec, "/"), USER, "not-it")
    opener = urllib.request.build_opener(urllib.request.HTTPDigestAuthHandler(manager))
    try:
        opener.open(url(rec), timeout=30)
        check(False, "a wrong password was accepted")
    except urllib.error.HTTPError as error:
        check(error.code == 401, f"wrong password: status {error.code}")


def test_digest_over_https():
    rec = recorder(1)
    status = curl(f"https://{rec['ip']}{PATH}", "--digest",
                  user=f"{USER}:{rec['adminPassword']}")[0]
    check(status == 200, f"status {status}")


def test_digest_challenge_knob_on_a_basic_recorder():
    rec = recorder(0)
    set_faults(rec["mac"], digestChallenge="true")
    try:
        status, head, _ = curl(url(rec))
        check(status == 401 and challenge(head, "Digest") is not None,
              f"with the knob on: {status}, {head!r}")
        status = curl(url(rec), "--digest", user=f"{USER}:")[0]
        check(status == 200, f"Digest with the knob on: status {status}")
    finally:
        set_faults(rec["mac"], digestChallenge="false")
    status, head, _ = curl(url(rec))
    check(challenge(head, "Basic") is not None, f"knob off, still {head!r}")


def test_forced_statuses():
    rec = recorder(0)
    try:
        for forced in (409, 404, 401):
            set_faults(rec["ip"], forceStatus=forced)
            status = curl(url(rec), "--basic", user=f"{USER}:")[0]
            check(status == forced, f"forceStatus {forced}: got {status}")
    finally:
        set_faults(rec["ip"], forceStatus=0)
    status = curl(url(rec), "--basic", user=f"{USER}:")[0]
    check(status == 200, f"knob off: status {status}")


if __name__ == "__main__":
    run(test_basic_with_the_right_password,
        test_basic_refuses_a_wrong_password_and_no_password,
        test_basic_through_urllib,
        test_basic_over_https_with_a_certificate_for_the_address,
        test_digest_challenge,
        test_digest_through_libcurl,
        test_digest_through_urllib,
        test_digest_over_https,
        test_digest_challenge_knob_on_a_basic_recorder,
        test_forced_statuses)
