#!/usr/bin/env python3
"""The cloud portal over HTTPS with Python's ssl and http.client: its certificate is valid for
its address, sign-in gives the nubra cookie, a bind with that cookie succeeds and names the
recorder's portal number and model, sign-up makes an account. The forms are sent as the wizard
sends them (values unencoded, the body ending with two CR LF). Uses
scenarios/two-recorders.json (portal number 770041, one account)."""

import http.client
import socket
import ssl

from orbtest import check, recorder, run, scenario, tls_context, wait_journal

ACCOUNT = ("installer@example.com", "Portal-2024")
VERSION = "ORB-780Z_V 2.03.02"


def portal_ip():
    return scenario()["portal"]["ip"]


def post(path, body, cookie=None):
    """(status, Set-Cookie header or None, body text)."""
    connection = http.client.HTTPSConnection(portal_ip(), 443, context=tls_context(), timeout=60)
    headers = {"Content-Type": "application/x-www-form-urlencoded"}
    if cookie is not None:
        headers["Cookie"] = f"nubra={cookie};"
    connection.request("POST", path, body=body.encode("utf-8"), headers=headers)
    reply = connection.getresponse()
    result = (reply.status, reply.getheader("Set-Cookie"), reply.read().decode("utf-8", "replace"))
    connection.close()
    return result


def sign_in(email, password, errors=0):
    return post("/account/?signin", f"client=wizard&wizard_version={VERSION}&lang=en"
                f"&email={email}&password={password}&err_count={errors}\r\n\r\n")


def sign_up(email, password):
    return post("/signin", f"client=wizard&wizard_version={VERSION}&lang=en&action=sign-up"
                f"&accept=accept&email={email}&password={password}&password_verify={password}"
                f"&name_first=&name_last=&err_count=0\r\n\r\n")


def bind(cookie):
    rec = recorder(0)
    return post("/account/?add", f"client=wizard&wizard_version={VERSION}&lang=en"
                f"&nubra_no={rec['portal']['portalNumber']}&device_password="
                f"&dfp={rec['portal']['portalDfp']}&err_count=0\r\n\r\n", cookie=cookie)


def nubra_cookie(set_cookie):
    for part in (set_cookie or "").split(";"):
        name, _, value = part.strip().partition("=")
        if name == "nubra":
            return value
    return ""


def test_certificate_names_the_portals_address_and_no_other():
    with socket.create_connection((portal_ip(), 443), timeout=30) as raw:
        with tls_context().wrap_socket(raw, server_hostname=portal_ip()) as tls:
            check(tls.version() is not None, "no TLS session")
    with socket.create_connection((portal_ip(), 443), timeout=30) as raw:
        try:
            tls_context().wrap_socket(raw, server_hostname="10.77.0.99").close()
            check(False, "the certificate was accepted for 10.77.0.99")
        except ssl.SSLCertVerificationError:
            pass


def test_sign_in_then_bind_with_the_cookie():
    status, set_cookie, text = sign_in(*ACCOUNT)
    check(status == 200 and "success" in text, f"sign-in: {status} {text!r}")
    cookie = nubra_cookie(set_cookie)
    check(cookie, f"sign-in gave no nubra cookie: {set_cookie!r}")
    status, _, text = bind(cookie)
    number = recorder(0)["portal"]["portalNumber"]
    check(status == 200 and "success" in text, f"bind: {status} {text!r}")
    check(number in text and "ORB-780Z" in text, f"bind reply lacks {number} or ORB-780Z: {text!r}")
    entry = wait_journal(lambda e: e.get("type") == "http" and e.get("target") == "/account/?add",
                         "the bind request")[-1]
    check(entry.get("tls") is True and entry.get("method") == "POST", f"journal entry {entry}")
    check(["Cookie", f"nubra={cookie};"] in entry.get("headers", []),
          f"journal shows the headers {entry.get('headers')}")
    check(entry.get("bodyText", "").endswith("&err_count=0\r\n\r\n"),
          f"journal body {entry.get('bodyText')!r}")


def test_sign_in_with_a_wrong_password():
    status, _, text = sign_in(ACCOUNT[0], "not-it", errors=2)
    check("SIGNINERR" in text and "success" not in text, f"{status} {text!r}")


def test_bind_without_a_cookie_is_refused():
    status, _, text = bind("")
    check("BINDERR" in text and "success" not in text, f"{status} {text!r}")


def test_sign_up_makes_an_account():
    email = "newcomer%2Bshop@example.com"
    status, set_cookie, text = sign_up(email, "Fresh-Start-9")
    check(status == 200 and "success" in text, f"sign-up: {status} {text!r}")
    check(nubra_cookie(set_cookie), f"sign-up gave no nubra cookie: {set_cookie!r}")
    status, _, text = sign_in(email, "Fresh-Start-9")
    check("success" in text, f"signing in to the new account: {status} {text!r}")


def test_sign_up_with_a_taken_address():
    status, _, text = sign_up(ACCOUNT[0], "Anything-1")
    check("SIGNUPERR" in text and "success" not in text, f"{status} {text!r}")


if __name__ == "__main__":
    run(test_certificate_names_the_portals_address_and_no_other,
        test_sign_in_then_bind_with_the_cookie,
        test_sign_in_with_a_wrong_password,
        test_bind_without_a_cookie_is_refused,
        test_sign_up_makes_an_account,
        test_sign_up_with_a_taken_address)
