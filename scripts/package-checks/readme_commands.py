#!/usr/bin/env python3
"""Runs the documents' commands as printed, so the README, the guides in doc/
and the tree cannot drift.

A fenced ```sh block that follows a comment line `<!-- ci: KIND ... -->` in
a Markdown document is one of:
  install-deb       the Debian install command,
  package-zip       the command that makes the Windows archive, and
  demo              the newcomer's first command (build, demo, manual),
  windows-install   the Windows installer's silent example, and
  windows-uninstall its silent uninstall (```bat blocks, Windows' prompt):
                    printed by --print KIND, run by the check of its stage
                    (the last two under Wine by the installer's check)
  run               runs with `bash -e`; each command must succeed
  run prints TEXT   the same, and the output must contain TEXT
  background until COMMAND
                    started and left running for the blocks after it (a
                    JACK server); within 30 s COMMAND (run with bash) must
                    succeed while what the block started still runs
  window TITLE      started; within 30 s an X window named TITLE must show
                    while it runs, then it is ended
  manual            verified by hand, not run here (changes the machine, or
                    needs a host CI does not install)
Blocks run in order, document after document as named, each in a shell of
its own, in the environment this script gets (a background block serves the
blocks after it in any document). Background blocks are ended at the end.

  readme_commands.py DOC.md...               run every block
  readme_commands.py DOC.md... --print KIND  print the blocks of one kind
  readme_commands.py DOC.md... --list        list the blocks, kind and first line
"""
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MARKER = re.compile(r"^\s*<!-- ci: ([\w-]+)(.*?) -->\s*$")
KINDS = {"install-deb", "package-zip", "demo", "windows-install", "windows-uninstall", "run",
         "background", "window", "manual"}
# Commands for Windows' prompt; every other kind is for bash.
WINDOWS_KINDS = {"windows-install", "windows-uninstall"}


def blocks(path):
    """(where, kind, argument, text) of every marked block; where is
    PATH:LINE."""
    lines = open(path, encoding="utf-8").read().split("\n")
    found = []
    i = 0
    while i < len(lines):
        m = MARKER.match(lines[i])
        i += 1
        if not m:
            continue
        kind, argument = m.group(1), m.group(2).strip()
        if kind not in KINDS:
            sys.exit(f"{path}:{i}: unknown kind '{kind}'")
        while i < len(lines) and not lines[i].strip():
            i += 1
        fence = "```bat" if kind in WINDOWS_KINDS else "```sh"
        if i >= len(lines) or lines[i].strip() != fence:
            sys.exit(f"{path}:{i}: '<!-- ci: {kind} -->' is not followed by a {fence} block")
        start = i + 1
        end = start
        while end < len(lines) and lines[end].strip() != "```":
            end += 1
        found.append((f"{path}:{start}", kind, argument, "\n".join(lines[start:end]) + "\n"))
        i = end + 1
    return found


def words(argument):
    return shlex.split(argument) if argument else []


def sudo_shim():
    """Root on a machine without sudo (a CI container): `sudo CMD` runs CMD."""
    if os.geteuid() != 0 or shutil.which("sudo"):
        return None
    folder = tempfile.mkdtemp(prefix="readme-sudo-")
    shim = os.path.join(folder, "sudo")
    with open(shim, "w") as f:
        f.write('#!/bin/sh\nexec "$@"\n')
    os.chmod(shim, 0o755)
    return folder


def windows_named(title):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"],
                       capture_output=True, text=True)
    return r.stdout.split()


def group_alive(process):
    try:
        os.killpg(process.pid, 0)
        return True
    except ProcessLookupError:
        return False


def end_group(process):
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + 5
    while group_alive(process) and time.monotonic() < deadline:
        time.sleep(0.1)
    if group_alive(process):
        os.killpg(process.pid, signal.SIGKILL)
    process.wait()


def processes_started_here():
    """Processes that carry this run's environment marker: servers such as
    jackd put themselves into a session of their own, out of the block's
    process group, but keep the environment they were started with."""
    marker = f"QUILLET_README_RUN={os.getpid()}".encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if marker in f.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def end_strays():
    for signal_number in (signal.SIGTERM, signal.SIGKILL):
        strays = processes_started_here()
        for pid in strays:
            try:
                os.kill(pid, signal_number)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 5
        while strays and processes_started_here() and time.monotonic() < deadline:
            time.sleep(0.1)


def start(text):
    """Starts a block in a process group of its own, so everything it starts
    can be ended; its output goes to a file (a pipe nobody reads fills up)."""
    log = tempfile.TemporaryFile(mode="w+")
    p = subprocess.Popen(["bash", "-e", "-c", text], stdout=log, stderr=subprocess.STDOUT,
                         text=True, start_new_session=True)
    p.log = log
    return p


def wait_until_ready(p, argument):
    """Waits until the `until` command of a background block succeeds while
    what the block started runs on: (ok, detail)."""
    if words(argument)[:1] != ["until"] or len(words(argument)) < 2:
        return False, "a background block needs `until COMMAND` in its marker"
    ready = " ".join(words(argument)[1:])
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if not group_alive(p):
            return False, "nothing it started runs on"
        if subprocess.run(["bash", "-c", ready], capture_output=True).returncode == 0:
            # The block's shell has returned; what it started must still run.
            return (True, f"running, `{ready}` succeeds") if group_alive(p) else (
                False, "nothing it started runs on")
        time.sleep(0.2)
    return False, f"`{ready}` did not succeed within 30 s"


def output_of(p):
    p.log.seek(0)
    return p.log.read()


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    first_option = next((i for i, a in enumerate(args) if a.startswith("--")), len(args))
    documents, options = args[:first_option], args[first_option:]
    if not documents:
        sys.exit(__doc__)
    found = [b for path in documents for b in blocks(path)]
    if options[:1] == ["--print"] and len(options) == 2:
        for _, kind, _, text in found:
            if kind == options[1]:
                sys.stdout.write(text)
        return
    if options == ["--list"]:
        for where, kind, argument, text in found:
            print(f"{where}: {kind} {argument}: {text.splitlines()[0]}")
        return
    if options:
        sys.exit(__doc__)

    shim = sudo_shim()
    env = dict(os.environ)
    env["QUILLET_README_RUN"] = str(os.getpid())
    if shim:
        env["PATH"] = shim + os.pathsep + env["PATH"]
    os.environ.update(env)
    background = []
    failures = 0
    try:
        for where, kind, argument, text in found:
            first = text.splitlines()[0]
            if kind in ("install-deb", "package-zip", "demo", "manual") or kind in WINDOWS_KINDS:
                continue
            began = time.monotonic()
            if kind == "run":
                r = subprocess.run(["bash", "-e", "-c", text], capture_output=True, text=True)
                output = r.stdout + r.stderr
                want = words(argument)[1:] if words(argument)[:1] == ["prints"] else []
                missing = [w for w in want if w not in output]
                ok = r.returncode == 0 and not missing
                detail = f"status {r.returncode}" + (f", no {missing}" if missing else "")
            elif kind == "background":
                # The shell returns at once; what it started runs on in its group.
                p = start(text)
                background.append(p)
                ok, detail = wait_until_ready(p, argument)
                output = "" if ok else output_of(p)
            else:  # window
                title = " ".join(words(argument))
                p = start(text)
                ok = False
                detail = f"no window named '{title}' within 30 s"
                deadline = time.monotonic() + 30
                while time.monotonic() < deadline:
                    if p.poll() is not None:
                        detail = f"ended with status {p.returncode} before a window showed"
                        break
                    if windows_named(title):
                        ok, detail = True, f"window '{title}' shown"
                        break
                    time.sleep(0.2)
                end_group(p)
                output = output_of(p)
            seconds = time.monotonic() - began
            print(f"{'ok  ' if ok else 'FAIL'} {where} ({kind}, {seconds:.1f} s, {detail}): {first}")
            if not ok:
                failures += 1
                print("     " + output.strip().replace("\n", "\n     "))
    finally:
        for p in background:
            end_group(p)
        end_strays()
        if shim:
            shutil.rmtree(shim)
    if failures:
        sys.exit(f"{failures} marked block(s) failed")


if __name__ == "__main__":
    main()
