#!/usr/bin/env python3
"""Xruns at quillet-k3's start: starts the program with its panel STARTS times
on one idle dummy JACK server without real-time scheduling (as a user outside
the audio group gets it), lets each run a second and prints the xruns each
reported and when, after its start, the server logged them.

No other JACK client comes or goes during a start (each opening or closing
client delays a server without real-time scheduling: a jack_lsp run costs
the running clients an xrun now and then), so the program's own line tells
when it is linked. Needs an X display (scripts/with-display.sh).
  standalone_start_xruns.py QUILLET-K3 [STARTS]
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time


def main():
    program = sys.argv[1]
    starts = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    work = tempfile.mkdtemp(prefix="quillet-start-xruns-")
    env = dict(os.environ, JACK_DEFAULT_SERVER=f"quillet-bench-{os.getpid()}",
               XDG_CONFIG_HOME=work, HOME=work)
    env.pop("QUILLET_UI_SCALE", None)
    server = subprocess.Popen(["jackd", "-n", env["JACK_DEFAULT_SERVER"], "--no-realtime", "-d",
                               "dummy", "-r", "48000", "-p", "256"], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    logged = []  # (time, line) of the server's output

    def read_server():
        for line in server.stdout:
            logged.append((time.monotonic(), line.strip()))

    threading.Thread(target=read_server, daemon=True).start()
    try:
        end = time.monotonic() + 20
        # jack_lsp until the server answers, before the first start.
        while subprocess.run(["jack_lsp"], env=env, capture_output=True).returncode != 0:
            if time.monotonic() > end or server.poll() is not None:
                sys.exit("the JACK server did not start")
            time.sleep(0.05)
        time.sleep(0.5)  # the last jack_lsp gone from the server
        clean = 0
        for start in range(1, starts + 1):
            out_path = os.path.join(work, "program.out")
            t0, seen = time.monotonic(), len(logged)
            with open(out_path, "w") as out:
                run = subprocess.Popen([program, "--state", os.path.join(work, "state")], env=env,
                                       stdout=out, stderr=subprocess.PIPE, text=True)
            end = t0 + 30
            while "JACK: " not in open(out_path).read():
                if time.monotonic() > end or run.poll() is not None:
                    sys.exit(f"start {start}: the program did not link: {run.stderr.read() if run.poll() is not None else ''}")
                time.sleep(0.01)
            time.sleep(1.0)  # a second of running: the figure is xruns per start
            run.send_signal(signal.SIGTERM)
            run.wait(timeout=20)
            found = re.search(r"\((\d+) xruns?", open(out_path).read())
            xruns = int(found.group(1)) if found else -1
            late = [f"{(t - t0) * 1000:.0f} ms" for t, line in logged[seen:] if "XRun" in line]
            clean += xruns == 0
            print(f"start {start}: {xruns} xruns" + (f" (server: {', '.join(late)})" if late else ""))
        print(f"quillet-k3 with its panel, idle dummy server without real-time scheduling: "
              f"{clean} of {starts} starts without an xrun")
    finally:
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=20)


if __name__ == "__main__":
    main()
