#!/usr/bin/env python3
"""Checks for the hostile walks (walk_hostile.sh).

    hostile_check.py shortcuts DESKTOP HOST...
        every file on DESKTOP is one Desktop Entry of Type=Link whose URL leads to one of the
        HOSTs (address or address:port), with no second group, no command, no control character
        and no line that the hostile texts could have added; prints one line per shortcut
    hostile_check.py stalls WIZARD_LOG LIMIT_MS
        the stall watch's longest gaps; fails when one is longer than LIMIT_MS
    hostile_check.py rows WIZARD_LOG FIRST_IP
        the rows page 7 listed ("recorder row N: IP MAC"): distinct MACs, no 0.0.0.0, FIRST_IP
        first; prints their number

Exit status 0 when the check holds, 1 with the reasons otherwise.
"""

import os
import re
import sys
import urllib.parse

NAME = re.compile(r"^ORB-780Z(\(.+\))?\.desktop$")
KEY = re.compile(r"^[A-Za-z0-9-]+(\[[A-Za-z0-9_@.-]+\])?$")
# Keys a link may carry; anything else came from somewhere it should not.
ALLOWED_KEYS = {"Type", "Name", "URL", "Icon", "Version", "Comment"}


def control_characters(text):
    return [c for c in text if ord(c) < 0x20 or 0x7F <= ord(c) < 0xA0]


def check_entry(path, hosts):
    problems = []
    name = os.path.basename(path)
    if not NAME.match(name) or control_characters(name):
        problems.append(f"file name {name!r}")
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        return problems + [f"not UTF-8: {error}"]
    if "\r" in text or "\0" in text:
        problems.append("carriage return or NUL in the file")
    lines = [line for line in text.split("\n") if line.strip() and not line.startswith("#")]
    groups = [line for line in lines if line.startswith("[")]
    if groups != ["[Desktop Entry]"] or not lines or lines[0] != "[Desktop Entry]":
        problems.append(f"groups {groups!r}")
    keys = {}
    for line in lines[1:]:
        if line.startswith("["):
            continue
        key, equals, value = line.partition("=")
        if not equals or not KEY.match(key):
            problems.append(f"line {line!r}")
            continue
        base = key.split("[")[0]
        if base not in ALLOWED_KEYS:
            problems.append(f"key {key!r}")
        if key in keys:
            problems.append(f"key {key!r} twice")
        if control_characters(value):
            problems.append(f"control characters in {key}: {value!r}")
        keys[key] = value
    if keys.get("Type") != "Link":
        problems.append(f"Type={keys.get('Type')!r}")
    url = keys.get("URL", "")
    if not url:
        problems.append("no URL")
    elif re.search(r"[\s\"'`<>\\]|\$\(", url):
        problems.append(f"unescaped characters in the URL {url!r}")
    else:
        parsed = urllib.parse.urlsplit(url)
        if parsed.scheme not in ("http", "https") or parsed.netloc not in hosts:
            problems.append(f"URL leads to {parsed.scheme}://{parsed.netloc}, not {hosts}")
    return problems, keys


def shortcuts(desktop, hosts):
    files = sorted(os.listdir(desktop)) if os.path.isdir(desktop) else []
    failed = False
    for name in files:
        path = os.path.join(desktop, name)
        if not os.path.isfile(path) or os.path.islink(path):
            print(f"shortcut: {name!r} is no plain file", file=sys.stderr)
            failed = True
            continue
        problems, keys = check_entry(path, hosts)
        if problems:
            failed = True
            print(f"shortcut: {name!r}: " + "; ".join(problems), file=sys.stderr)
            print(open(path, "rb").read().decode("utf-8", "replace"), file=sys.stderr)
        else:
            print(f"shortcut: {name!r} -> {keys.get('URL')}")
    if not files:
        print("shortcut: none")
    return 1 if failed else 0


def stalls(log, limit):
    gaps = []
    for line in open(log, encoding="utf-8", errors="replace"):
        found = re.search(r"stall: (\d+) ms at (\d+) ms, window (\S+)", line)
        if found:
            gaps.append((int(found.group(1)), int(found.group(2)), found.group(3)))
    gaps.sort(reverse=True)
    longest = ", ".join(f"{g} ms at {t} ms in {w}" for g, t, w in gaps[:3]) or "none"
    print(f"stalls: {len(gaps)} over 20 ms; longest {longest}")
    over = [g for g in gaps if g[0] > limit]
    if over:
        print(f"stalls: {len(over)} longer than {limit} ms: the window stopped processing events",
              file=sys.stderr)
        return 1
    return 0


def rows(log, first_ip):
    listed = []
    for line in open(log, encoding="utf-8", errors="replace"):
        found = re.search(r"recorder row (\d+): (\S+) (\S+)", line)
        if found:
            listed.append((int(found.group(1)), found.group(2), found.group(3)))
    # Only the last search counts; its rows start again at 1.
    starts = [i for i, row in enumerate(listed) if row[0] == 1]
    last = listed[starts[-1]:] if starts else []
    problems = []
    macs = [mac for _, _, mac in last]
    if len(set(macs)) != len(macs):
        problems.append(f"{len(macs) - len(set(macs))} MACs listed twice")
    if any(ip == "0.0.0.0" for _, ip, _ in last):
        problems.append("a row with 0.0.0.0")
    if not last or last[0][1] != first_ip:
        problems.append(f"row 1 is {last[0] if last else None}, not {first_ip}")
    if problems:
        print("rows: " + "; ".join(problems), file=sys.stderr)
        return 1
    print(len(last))
    return 0


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    command, args = sys.argv[1], sys.argv[2:]
    if command == "shortcuts":
        return shortcuts(args[0], args[1:])
    if command == "stalls":
        return stalls(args[0], int(args[1]))
    if command == "rows":
        return rows(args[0], args[1])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
