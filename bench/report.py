"""Prints one table from Google Benchmark's JSON output: the median of each
case, and for cases run as Before/X and Product/X the ratio before/after."""
import json
import sys

with open(sys.argv[1]) as f:
    runs = json.load(f)["benchmarks"]
# Interleaved runs come out shuffled; the table keeps the order of definition.
runs.sort(key=lambda run: (run.get("family_index", 0), run.get("per_family_instance_index", 0)))

medians = {}
for run in runs:
    if run.get("aggregate_name", "median") != "median":
        continue
    name = run.get("run_name", run["name"]).replace("_median", "")
    medians[name] = (run["real_time"], run["time_unit"])

rows = []
for name, (time, unit) in medians.items():
    kind, _, case = name.partition("/")
    if kind == "Before":
        continue
    before = medians.get("Before/" + case)
    ratio = f"{before[0] / time:6.2f}" if before else "     -"
    before_text = f"{before[0]:10.3f}" if before else "         -"
    rows.append((case if kind == "Product" else name, before_text, f"{time:10.3f}", unit, ratio))

print(f"{'case':32} {'before':>10} {'after':>10} unit  before/after")
for case, before, after, unit, ratio in rows:
    print(f"{case:32} {before} {after} {unit:4}  {ratio}")
