#!/usr/bin/env python3
"""Waits until the simulator's journal holds enough lines for which a Python expression is true,
or counts them.

    journal.py wait JOURNAL EXPRESSION [TIMES [SECONDS]]
    journal.py count JOURNAL EXPRESSION

The expression sees, for each journal line:
    e         the line as a dict
    data      the datagram's bytes (b"" for other lines)
    opcode    the datagram header's opcode (little-endian, bytes 4-5), or None
    inbound   a datagram the simulator received; outbound: one it sent
    http      an HTTP request line; note: a note line

    journal.py wait "$ORB_SIM_JOURNAL" 'inbound and opcode == 0xA1' 1 10

Exit status 0 when found (wait) or always (count, which prints the number); 1 when the wait ran
out, with the lines that were there; 2 for a bad expression.
"""

import json
import sys
import time


def entries(path):
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.readlines()
    except FileNotFoundError:
        return []
    # The simulator may be half-way through the last line.
    return [json.loads(line) for line in lines if line.endswith("\n")]


def scope(e):
    datagram = e.get("type") == "datagram"
    data = bytes.fromhex(e.get("bytes", "")) if datagram else b""
    return {
        "e": e,
        "data": data,
        "opcode": int.from_bytes(data[4:6], "little") if len(data) >= 6 else None,
        "inbound": datagram and e.get("direction") == "in",
        "outbound": datagram and e.get("direction") == "out",
        "http": e.get("type") == "http",
        "note": e.get("type") == "note",
    }


def matches(code, e):
    try:
        return bool(eval(code, {"__builtins__": __builtins__}, scope(e)))
    except (KeyError, IndexError, TypeError, ValueError):
        # A field that this kind of line does not have: not a match. A misspelt name still fails.
        return False


def matching(path, code):
    return [e for e in entries(path) if matches(code, e)]


def summary(e):
    if e.get("type") == "datagram":
        return f"datagram {e['direction']} {e['peer']} {e['length']} {e['bytes'][:60]}"
    if e.get("type") == "http":
        return f"http {e.get('method')} {e.get('target')} {e.get('status')}"
    return f"{e.get('type')} {e.get('text', '')}"


def wait(path, code, expression, rest):
    times = int(rest[0]) if len(rest) > 0 else 1
    seconds = float(rest[1]) if len(rest) > 1 else 10.0
    deadline = time.monotonic() + seconds
    while True:
        found = len(matching(path, code))
        if found >= times:
            return 0
        if time.monotonic() > deadline:
            break
        time.sleep(0.05)
    print(f"journal.py: {found} of {times} lines match '{expression}' after {seconds:g} s; "
          "the journal:", file=sys.stderr)
    for e in entries(path)[-40:]:
        print("  " + summary(e), file=sys.stderr)
    return 1


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("wait", "count"):
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    mode, path, expression = sys.argv[1:4]
    try:
        # In brackets, so that an expression may run over several lines.
        code = compile(f"(\n{expression}\n)", "<expression>", "eval")
    except SyntaxError as error:
        print(f"journal.py: {error}", file=sys.stderr)
        return 2
    try:
        if mode == "count":
            print(len(matching(path, code)))
            return 0
        return wait(path, code, expression, sys.argv[4:])
    except NameError as error:
        print(f"journal.py: {error}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
