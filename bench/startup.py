#!/usr/bin/env python3
"""Start-up and memory on Home: the wizard against a bare Qt Widgets window.

Usage: bench/startup.py [--runs N] [BUILD_DIR]      (BUILD_DIR: build/default)

Both programs run on a private Xvfb inside a private network namespace (the script re-runs
itself under `unshare --net`), alternately, after one untimed run of each. A run is timed from
just before the process is started to the line that says its first frame was painted. Prints
the medians, their ratio and the wizard's proportional set size (PSS) on Home; exits 1 when the
ratio is above 2.5 or the PSS above 60 MB.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

RATIO_GOAL = 2.5
HOME_PSS_BUDGET_KB = 60 * 1024
MARKERS = {"bare": b"bare first frame", "wizard": b"home first frame"}


def in_private_network():
    if os.environ.get("ORB_BENCH_NETNS") == "1":
        return
    env = dict(os.environ, ORB_BENCH_NETNS="1")
    for isolate in (["unshare", "--net"], ["unshare", "--net", "--map-root-user"]):
        if subprocess.run(isolate + ["true"], capture_output=True).returncode == 0:
            os.execvpe(isolate[0], isolate + [sys.executable] + sys.argv, env)
    sys.exit("startup: cannot make a private network namespace (unshare --net)")


def start_display(work):
    ready = os.path.join(work, "display")
    with open(ready, "w") as out:
        # Xvfb writes the display number it picked to the descriptor it is given.
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1280x800x24",
             "-noreset", "-nolisten", "tcp"],
            pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        with open(ready) as f:
            number = f.read().strip()
        if number:
            return xvfb, ":" + number
        time.sleep(0.02)
    xvfb.kill()
    sys.exit("startup: Xvfb did not start")


def pss_kb(pid):
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith("Pss:"):
                return int(line.split()[1])
    return 0


def one_run(program, marker, env):
    """Seconds to the first frame, and the PSS then."""
    start = time.monotonic()
    process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    try:
        for line in process.stderr:
            if marker in line:
                elapsed = time.monotonic() - start
                return elapsed, pss_kb(process.pid)
        raise RuntimeError(f"{program} ended before its first frame")
    finally:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def main():
    in_private_network()
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("build", nargs="?", default="build/default")
    args = parser.parse_args()
    programs = {"bare": os.path.join(args.build, "bench", "bench_bare_window"),
                "wizard": os.path.join(args.build, "bin", "orb-wizard")}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit(f"startup: {path} is not built")

    with tempfile.TemporaryDirectory(prefix="orb-startup.") as work:
        xvfb, display = start_display(work)
        try:
            home = os.path.join(work, "home")
            os.makedirs(home)
            env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home,
                       XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                       XDG_DATA_HOME=os.path.join(work, "data"), TMPDIR=work,
                       QT_LOGGING_RULES="orb.flow.debug=true")
            for name in programs:  # caches warm, first run untimed
                one_run(programs[name], MARKERS[name], env)
            times = {name: [] for name in programs}
            pss = []
            for run in range(args.runs):
                order = list(programs) if run % 2 == 0 else list(reversed(programs))
                for name in order:
                    elapsed, kb = one_run(programs[name], MARKERS[name], env)
                    times[name].append(elapsed)
                    if name == "wizard":
                        pss.append(kb)
        finally:
            xvfb.kill()
            xvfb.wait()

    bare = statistics.median(times["bare"])
    wizard = statistics.median(times["wizard"])
    ratio = wizard / bare
    home_pss = statistics.median(pss)
    for name in programs:
        values = sorted(times[name])
        print(f"{name:7s} first frame: median {statistics.median(values) * 1000:6.1f} ms "
              f"(min {values[0] * 1000:.1f}, max {values[-1] * 1000:.1f}, {len(values)} runs)")
    print(f"ratio   wizard / bare: {ratio:.2f} (goal <= {RATIO_GOAL})")
    print(f"memory  wizard PSS on Home: median {home_pss / 1024:.1f} MB "
          f"(budget {HOME_PSS_BUDGET_KB // 1024} MB)")
    return 0 if ratio <= RATIO_GOAL and home_pss <= HOME_PSS_BUDGET_KB else 1


if __name__ == "__main__":
    sys.exit(main())
