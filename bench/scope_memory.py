"""Peak resident memory of wubble-scope after a number of regenerations.

Starts a private Xvfb and openbox, runs wubble-scope on OpenAL's null output
under /usr/bin/time -v, clicks "Mutate" CLICKS times (each click regenerates
the sound), closes the window and prints the maximum resident set size.

usage: scope_memory.py WUBBLE_SCOPE OPENBOX_RC [CLICKS]
"""
import os
import re
import subprocess
import sys
import tempfile
import time

TITLE = "ZR-Wubble - Tarsk 08"
MUTATE = (2 + 32, 22 + 9)  # centre of the Mutate button in the client area


def start_x():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = os.read(read_end, 16).decode().strip()
    os.close(read_end)
    if not number:
        sys.exit("scope_memory: Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number
    return xvfb


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, openbox_rc = sys.argv[1], sys.argv[2]
    clicks = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    xvfb = start_x()
    wm = subprocess.Popen(["openbox", "--sm-disable", "--config-file", openbox_rc],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    report = tempfile.NamedTemporaryFile(prefix="scope-memory-", suffix=".txt", delete=False).name
    env = dict(os.environ, ALSOFT_DRIVERS="null")
    try:
        time.sleep(0.5)
        scope = subprocess.Popen(["/usr/bin/time", "-v", "-o", report, program], env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        found = xdotool("search", "--sync", "--onlyvisible", "--name", TITLE)
        window = found.stdout.split()[0] if found.stdout.split() else None
        if window is None:
            sys.exit("scope_memory: no wubble-scope window")
        time.sleep(0.5)
        for _ in range(clicks):
            xdotool("mousemove", "--window", window, str(MUTATE[0]), str(MUTATE[1]), "click", "1")
            time.sleep(0.03)
        time.sleep(1.0)
        xdotool("windowactivate", "--sync", window, "key", "alt+F4")
        scope.wait(timeout=30)
        text = open(report).read()
        peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", text)
        if not peak:
            sys.exit("scope_memory: no report from /usr/bin/time:\n" + text)
        print(f"wubble-scope peak resident memory after {clicks} regenerations: {int(peak.group(1))} kB")
    finally:
        os.unlink(report)
        wm.terminate()
        xvfb.terminate()


if __name__ == "__main__":
    main()
