#!/usr/bin/env python3
"""Processor time of the idle programs, in the session of
scripts/windows-session: this machine's wubble-scope and wubble-lite beside
wubble-scope.exe and wubble-lite.exe under wine, one at a time, each over
10 s once its start-up sound has played (3 s after its window came up).
Clock ticks of the whole process, of its main thread and, for wine, of the
session's wineserver, which wine programs talk to for every message.

    windows_idle.py LINUX_APP_DIR WINDOWS_BIN_DIR
"""
import os
import subprocess
import sys
import time

TITLE = "ZR-Wubble - Tarsk 08"
TICKS = os.sysconf("SC_CLK_TCK")
SECONDS = 10


def ticks(stat_path):
    try:
        with open(stat_path) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0
    return int(fields[11]) + int(fields[12])  # utime, stime


def process_ticks(pid):
    return sum(ticks(f"/proc/{pid}/task/{tid}/stat") for tid in os.listdir(f"/proc/{pid}/task"))


def session_wineserver():
    prefix = os.environ.get("WINEPREFIX", "").encode()
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix + b"\0" in f.read():
                    return int(pid)
        except OSError:
            pass
    return None


def window_shown():
    found = subprocess.run(["xdotool", "search", "--name", TITLE], capture_output=True, text=True)
    return bool(found.stdout.strip())


def wait_for(shown, seconds):
    give_up = time.time() + seconds
    while time.time() < give_up:
        if window_shown() == shown:
            return True
        time.sleep(0.05)
    return False


def measure(name, command):
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_for(True, 30):
            return f"{name:22} no window"
        time.sleep(3)  # the start-up sound, 2 s, and its end
        server = session_wineserver() if command[0] == "wine" else None
        before = (process_ticks(program.pid), ticks(f"/proc/{program.pid}/task/{program.pid}/stat"),
                  ticks(f"/proc/{server}/stat") if server else 0)
        time.sleep(SECONDS)
        after = (process_ticks(program.pid), ticks(f"/proc/{program.pid}/task/{program.pid}/stat"),
                 ticks(f"/proc/{server}/stat") if server else 0)
        used = [a - b for a, b in zip(after, before)]
        server_text = f"{used[2]:10d}" if server else "         -"
        return f"{name:22} {used[0]:8d} {used[1]:12d} {server_text}"
    finally:
        program.terminate()
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
        wait_for(False, 10)  # the window goes before the next program's comes


def main():
    linux, windows = sys.argv[1], sys.argv[2]
    programs = [
        ("wubble-scope (Linux)", [f"{linux}/wubble-scope"]),
        ("wubble-scope.exe", ["wine", f"{windows}/wubble-scope.exe"]),
        ("wubble-lite (Linux)", [f"{linux}/wubble-lite"]),
        ("wubble-lite.exe", ["wine", f"{windows}/wubble-lite.exe"]),
    ]
    print(f"processor time over {SECONDS} s idle after the start-up sound, in clock ticks "
          f"({TICKS} a second; {TICKS * SECONDS} is one whole core)")
    print(f"{'program':22} {'process':>8} {'main thread':>12} {'wineserver':>10}")
    for name, command in programs:
        print(measure(name, command), flush=True)


if __name__ == "__main__":
    main()
