#!/usr/bin/env python3
"""`orb-probe search --json` against orb-sim: every record the search must list, in endpoint
then arrival order, only the first of each MAC unique, wrong lengths dropped; and the journal
shows the exact request bytes from every client address and the replies behind each record.
Usage: test_probe_search.py ORB_PROBE (inside netns-run, best with --clients 2)."""

import json
import struct
import subprocess
import sys
import time

from orbtest import check, client_addresses, journal, reply_fields, run, scenario

PROBE = sys.argv[1] if len(sys.argv) > 1 else "orb-probe"
KEYS = {"index", "ip", "mac", "model", "deviceName", "port", "replyType", "clockDelta",
        "unique", "interfaceIndex", "localIp"}
REQUEST_HEAD = bytes.fromhex("fdfd0000a100ffffffffffff00000000000003001550")

RESULT = {}


def probe_search():
    """Runs the search once; every test reads the same run."""
    if not RESULT:
        before = int(time.time())
        done = subprocess.run([PROBE, "search", "--json"], capture_output=True, text=True,
                              timeout=60)
        RESULT.update(before=before, after=int(time.time()), code=done.returncode,
                      stdout=done.stdout, stderr=done.stderr)
    return RESULT


def records():
    result = probe_search()
    check(result["code"] == 0, f"exit {result['code']}: {result['stderr']}")
    return json.loads(result["stdout"])


def copies(rec):
    """How many answers one search from one address draws from this recorder."""
    faults = rec.get("faults", {})
    if faults.get("wrongReplyLength", 0) not in (0, 334, 342):
        return 0
    return 1 + faults.get("duplicateReplies", 0)


def test_exit_code_and_keys():
    listed = records()
    check(isinstance(listed, list), f"not a JSON array: {probe_search()['stdout']!r}")
    for record in listed:
        check(set(record) == KEYS, f"keys {sorted(record)}")
    check([r["index"] for r in listed] == list(range(len(listed))), "indexes out of order")


def test_records_per_interface():
    listed = records()
    addresses = client_addresses()
    interfaces = [r["interfaceIndex"] for r in listed]
    check(interfaces == sorted(interfaces), f"records not in endpoint order: {interfaces}")
    for index, address in enumerate(addresses):
        mine = [r for r in listed if r["interfaceIndex"] == index]
        expected = sorted(m for rec in scenario()["recorders"]
                          for m in [rec["mac"].lower()] * copies(rec))
        check(sorted(r["mac"] for r in mine) == expected,
              f"interface {index}: {sorted(r['mac'] for r in mine)}, expected {expected}")
        for record in mine:
            check(record["localIp"] == address, f"localIp {record['localIp']} for {address}")


def test_fields_follow_the_scenario():
    listed = records()
    result = probe_search()
    by_mac = {rec["mac"].lower(): rec for rec in scenario()["recorders"]}
    for record in listed:
        rec = by_mac[record["mac"]]
        length = rec.get("replyLength", 342)
        check(record["ip"] == rec["ip"], f"{record['mac']}: ip {record['ip']}")
        check(record["port"] == rec.get("httpPort", 80), f"{record['mac']}: port {record['port']}")
        check(record["model"] == rec.get("model", "ORB-780Z"), f"model {record['model']}")
        check(record["deviceName"] == rec.get("deviceName", "ORB-780Z"),
              f"deviceName {record['deviceName']}")
        check(record["replyType"] == (3 if length == 342 else 1),
              f"{record['mac']}: replyType {record['replyType']}")
        if length == 342:
            # The recorder's clock runs clockOffsetSeconds away from ours; a second either side.
            offset = rec.get("clockOffsetSeconds", 0)
            check(-offset - 2 <= record["clockDelta"] <= -offset + 8 + result["after"]
                  - result["before"], f"{record['mac']}: clockDelta {record['clockDelta']}")
        else:
            check(record["clockDelta"] == 0, f"clockDelta {record['clockDelta']}")


def test_only_the_first_of_each_mac_is_unique():
    seen = set()
    for record in records():
        check(record["unique"] == (record["mac"] not in seen),
              f"record {record['index']} ({record['mac']}) unique={record['unique']}")
        seen.add(record["mac"])


def test_journal_holds_the_request_and_every_reply():
    listed = records()
    result = probe_search()
    entries = [e for e in journal() if e.get("type") == "datagram"]
    for index, address in enumerate(client_addresses()):
        requests = [bytes.fromhex(e["bytes"]) for e in entries if e["direction"] == "in"
                    and e.get("peer", "").startswith(address + ":") and e["length"] == 30]
        check(requests, f"no search from {address} in the journal")
        for request in requests:
            check(request[:22] == REQUEST_HEAD and request[26:] == b"\xff\xff\x00\x00",
                  f"request {request.hex()}")
            stamp = struct.unpack_from("<I", request, 22)[0]
            check(result["before"] <= stamp <= result["after"], f"time stamp {stamp}")
        replies = [bytes.fromhex(e["bytes"]) for e in entries if e["direction"] == "out"
                   and e.get("peer", "").startswith(address + ":")]
        accepted = sorted(reply_fields(r)["mac"] for r in replies if len(r) in (334, 342))
        listed_here = sorted(r["mac"] for r in listed if r["interfaceIndex"] == index)
        check(accepted == listed_here,
              f"{address}: journal replies {accepted}, records {listed_here}")
        for rec in scenario()["recorders"]:
            wrong = rec.get("faults", {}).get("wrongReplyLength", 0)
            if wrong in (0, 334, 342):
                continue
            check(any(len(r) == wrong for r in replies),
                  f"{address}: the {wrong}-byte reply of {rec['mac']} was never sent")
        for record in (r for r in listed if r["interfaceIndex"] == index):
            match = [reply_fields(r) for r in replies if len(r) in (334, 342)
                     and reply_fields(r)["mac"] == record["mac"]]
            check(match and match[0]["ip"] == record["ip"] and match[0]["port"] == record["port"]
                  and match[0]["model"] == record["model"], f"journal reply for {record}")


def test_bad_arguments_exit_2():
    for args in (["search", "--bogus"], ["no-such-command"], []):
        done = subprocess.run([PROBE, *args], capture_output=True, text=True, timeout=30)
        check(done.returncode == 2, f"{args}: exit {done.returncode}")
        lines = done.stderr.strip().splitlines()
        check(lines and lines[0].startswith("orb-probe"), f"{args}: stderr {done.stderr!r}")


if __name__ == "__main__":
    run(test_exit_code_and_keys,
        test_records_per_interface,
        test_fields_follow_the_scenario,
        test_only_the_first_of_each_mac_is_unique,
        test_journal_holds_the_request_and_every_reply,
        test_bad_arguments_exit_2)
