#!/usr/bin/env python3
"""Step latencies of the setup walk, read from the wizard's flow trace.

The trace comes from a walk run with ORB_STALL_WATCH=1 (every click and every Return or Space is
traced) and QT_MESSAGE_PATTERN="%{time process} %{category}: %{message}". A step is the time from
the last input to the page it led to. Its floor is the time the step's jobs spent in the pauses,
polling ticks and bounded waits the steps prescribe (each job traces its own sum when it ends);
the goal is to stay within 10 % or 200 ms of the floor, whichever is larger.

Usage: bench/step_latency.py TRACE     exits 1 when a step misses its goal
"""

import re
import sys

LINE = re.compile(r"^\s*(\d+\.\d+) orb\.flow: (.*)$")
PAGE = re.compile(r"^page (\d+) shown")
JOB = re.compile(r"^job: (\d+) ms, prescribed waits (\d+) ms")


def steps(lines):
    """(from page, to page, latency in ms, floor in ms) for every page shown after an input."""
    last_input = None
    page = None
    floor = 0
    for line in lines:
        match = LINE.match(line)
        if not match:
            continue
        seconds, message = float(match.group(1)), match.group(2)
        if message.startswith("input: "):
            last_input = seconds
            floor = 0
            continue
        job = JOB.match(message)
        if job:
            # Only the step's own jobs: a job that began before the input (a scan the step
            # stopped, say) is not on its path.
            began = seconds - int(job.group(1)) / 1000
            if last_input is not None and began >= last_input:
                floor += int(job.group(2))
            continue
        shown = PAGE.match(message)
        if shown:
            to_page = int(shown.group(1))
            if page is not None and last_input is not None:
                yield page, to_page, round((seconds - last_input) * 1000), floor
            page = to_page
            last_input = None


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8", errors="replace") as trace:
        found = list(steps(trace))
    missed = 0
    print("step      latency    floor   goal    ")
    for source, target, latency, floor in found:
        goal = floor + max(200, floor // 10)
        verdict = "ok" if latency <= goal else "MISSED"
        missed += verdict != "ok"
        print(f"{source:>2} -> {target:<2}  {latency:6d} ms {floor:6d} ms {goal:6d} ms  {verdict}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
