#!/usr/bin/env python3
"""Proves that limited broadcasts from the client side reach the device side.

  netprobe.py listen --ready FILE --out FILE --expect ADDRESS...   (device namespace)
  netprobe.py send --from ADDRESS... --done FILE                    (client namespace)

The sender broadcasts to 255.255.255.255:62976 from a socket bound to each client address and
from one unbound socket, again and again until the listener has written FILE (it does so once
every expected address, and the unbound socket, has been heard). Used by netns-run before the
simulator takes the port.
"""
import argparse
import os
import socket
import sys
import time

PORT = 62976
BOUND_SECONDS = 20.0


def listen(args):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", PORT))
    sock.settimeout(BOUND_SECONDS)
    open(args.ready, "w").close()
    wanted = {f"bound {a}": a for a in args.expect}
    wanted["unbound"] = args.expect[0]
    heard = {}
    while len(heard) < len(wanted):
        try:
            data, (peer, _) = sock.recvfrom(2048)
        except socket.timeout:
            missing = sorted(set(wanted) - set(heard))
            print(f"netprobe: never heard: {', '.join(missing)}", file=sys.stderr)
            return 1
        tag = data.decode("ascii", "replace")
        if tag not in wanted:
            continue
        if peer != wanted[tag]:
            print(f"netprobe: '{tag}' arrived from {peer}, expected {wanted[tag]}", file=sys.stderr)
            return 1
        heard[tag] = peer
    tmp = args.out + ".tmp"
    with open(tmp, "w") as f:
        for tag, peer in sorted(heard.items()):
            f.write(f"{tag} {peer}\n")
    os.rename(tmp, args.out)
    return 0


def send(args):
    sockets = []
    for address in args.sources:
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        s.bind((address, 0))
        sockets.append((s, f"bound {address}".encode()))
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sockets.append((s, b"unbound"))
    deadline = time.monotonic() + BOUND_SECONDS
    while not os.path.exists(args.done):
        if time.monotonic() > deadline:
            return 1
        for s, tag in sockets:
            s.sendto(tag, ("255.255.255.255", PORT))
        time.sleep(0.02)
    return 0


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="role", required=True)
    p = sub.add_parser("listen")
    p.add_argument("--ready", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--expect", nargs="+", required=True)
    p = sub.add_parser("send")
    p.add_argument("--from", dest="sources", nargs="+", required=True)
    p.add_argument("--done", required=True)
    args = parser.parse_args()
    return listen(args) if args.role == "listen" else send(args)


if __name__ == "__main__":
    sys.exit(main())
