#!/usr/bin/env python3
"""The broadcast search from a plain UDP socket: reply lengths, the fields at their offsets,
and the exact bytes in the simulator's journal. Runs with any scenario; with several client
interfaces (netns-run --clients N) it also searches from each one."""

import time

from orbtest import (check, client_addresses, journal, reply_fields, run, scenario,
                     search, search_request, udp_socket, wait_journal, PORT, receive_until)


def expected(rec):
    return {
        "length": rec.get("replyLength", 342),
        "model": rec.get("model", "ORB-780Z"),
        "mac": rec["mac"].lower(),
        "deviceName": rec.get("deviceName", "ORB-780Z"),
        "ip": rec["ip"],
        "port": rec.get("httpPort", 80),
    }


def test_every_recorder_answers_with_its_fields():
    recorders = scenario()["recorders"]
    replies = search([r["mac"].lower() for r in recorders])
    for rec in recorders:
        reply, sender = replies[rec["mac"].lower()]
        fields = reply_fields(reply)
        fields.pop("timeStamp", None)
        check(fields == expected(rec), f"reply of {rec['mac']}: {fields}, expected {expected(rec)}")
        check(sender == rec["ip"], f"reply of {rec['mac']} came from {sender}, not {rec['ip']}")
        check(reply[0:2] == b"\xfd\xfd", f"reply of {rec['mac']} starts {reply[0:2].hex()}")


def test_long_reply_carries_the_recorders_clock():
    for rec in scenario()["recorders"]:
        if rec.get("replyLength", 342) != 342:
            continue
        before = int(time.time())
        reply, _ = search([rec["mac"]])[rec["mac"]]
        after = int(time.time())
        offset = rec.get("clockOffsetSeconds", 0)
        stamp = reply_fields(reply)["timeStamp"]
        # The recorder reads its clock between our two readings; a second either side for
        # rounding.
        check(before + offset - 1 <= stamp <= after + offset + 1,
              f"time stamp {stamp}, expected {before + offset}..{after + offset}")


def test_journal_holds_the_exact_bytes_both_ways():
    rec = scenario()["recorders"][0]
    sock = udp_socket()
    request = search_request(0x5A0000AB)
    sock.sendto(request, ("255.255.255.255", PORT))
    received = receive_until(sock, lambda r: any(len(d) in (334, 342) for d, _ in r),
                             "search reply")
    reply = next(d for d, _ in received if len(d) in (334, 342))
    incoming = wait_journal(lambda e: e.get("type") == "datagram" and e.get("direction") == "in"
                            and e.get("bytes") == request.hex(), "our search request")
    check(incoming[0].get("length") == 30, f"journal length {incoming[0].get('length')}")
    port = sock.getsockname()[1]
    check(incoming[0].get("peer", "").endswith(f":{port}"),
          f"journal peer {incoming[0].get('peer')}, our port is {port}")
    wait_journal(lambda e: e.get("type") == "datagram" and e.get("direction") == "out"
                 and e.get("bytes") == reply.hex(), f"the reply of {rec['mac']} as we got it")


def test_one_search_per_client_interface():
    addresses = client_addresses()
    macs = [r["mac"].lower() for r in scenario()["recorders"]]
    for address in addresses:
        replies = search(macs, source=address)
        check(set(replies) == set(macs), f"from {address}: replies from {sorted(replies)}")
    for address in addresses:
        searches = [e for e in journal() if e.get("type") == "datagram"
                    and e.get("direction") == "in" and e.get("length") == 30
                    and e.get("peer", "").startswith(address + ":")]
        check(searches, f"the journal shows no search from {address}")


if __name__ == "__main__":
    run(test_every_recorder_answers_with_its_fields,
        test_long_reply_carries_the_recorders_clock,
        test_journal_holds_the_exact_bytes_both_ways,
        test_one_search_per_client_interface)
