"""Times wubble-render --batch on 1,000 varied sounds with -j 1 and with -j
of the machine's processors, interleaved and repeated (median), and one
wubble-render process per sound for a sample of the same sounds, less the
start-up of a process that renders nothing. Prints one table.

usage: batch_bench.py WUBBLE_RENDER WORK_DIR [SOUNDS [REPETITIONS]]"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import time

tool, work = sys.argv[1], sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 3
processors = len(os.sched_getaffinity(0))

# Every waveform, mutation counts 0 to 4, volumes across the bar.
sounds = []
x = 12345
for i in range(count):
    x = (x * 1103515245 + 12345) % 2**31
    sounds.append((x - 2**30, i % 5, 1 + (x >> 8) % 127))

shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
list_path = os.path.join(work, "list")
with open(list_path, "w") as f:
    for seed, mutations, volume in sounds:
        f.write(f"{seed} {mutations} {volume}\n")
out = os.path.join(work, "out")


def cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


# Wall and processor seconds: on a machine busy with other work the wall
# time of -j N says little, the processor time still says what it cost.
def batch(jobs):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    cpu = cpu_seconds()
    seconds = timed([tool, "--batch", list_path, "-d", out, "-j", str(jobs)])
    assert len(os.listdir(out)) == count
    return seconds, cpu_seconds() - cpu


# One process per sound for every 20th sound, and as many processes that
# only print parameters (start-up, no render, no file).
sample = sounds[::20]
def processes():
    wav = os.path.join(work, "one.wav")
    rendering = sum(timed([tool, str(s), str(m), str(v), "-o", wav]) for s, m, v in sample)
    starting = sum(timed([tool, "1", "--params"]) for _ in sample)
    return rendering / len(sample), starting / len(sample)


job_counts = [1] if processors == 1 else [1, processors]
times = {jobs: [] for jobs in job_counts}
per_process, start_up = [], []
for _ in range(repetitions):
    for jobs in job_counts:
        times[jobs].append(batch(jobs))
    rendering, starting = processes()
    per_process.append(rendering)
    start_up.append(starting)
shutil.rmtree(work, ignore_errors=True)

median = {jobs: statistics.median(t[0] for t in runs) for jobs, runs in times.items()}
cpu = {jobs: statistics.median(t[1] for t in runs) for jobs, runs in times.items()}
print(f"\nbatch of {count} sounds, median of {repetitions}   seconds   sounds/s   of -j 1   cpu s")
for jobs in job_counts:
    print(f"  -j {jobs:<33} {median[jobs]:8.2f} {count / median[jobs]:10.1f} "
          f"{median[jobs] / median[1]:9.2f} {cpu[jobs]:7.2f}")
per_sound = median[1] / count * 1000
process = statistics.median(per_process) * 1000
starting = statistics.median(start_up) * 1000
print(f"per sound: -j 1 {per_sound:.1f} ms; a process per sound {process:.1f} ms less "
      f"{starting:.1f} ms start-up = {process - starting:.1f} ms "
      f"(it also syncs its file to disk; the batch does not)")
