#!/usr/bin/env bash
# Builds and runs the benchmark program, keeps its JSON output and prints the ratios the
# targets are set in. Usage: bash bench/run.sh [build folder] [extra benchmark options]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${1:-$root/build}"
shift || true

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEXTCOMPARE_BENCH=ON
else
    cmake -S "$root" -B "$build" -DTEXTCOMPARE_BENCH=ON >/dev/null
fi
cmake --build "$build" --target textcompare_bench

out="$build/bench/results.json"
echo "running the benchmarks (a few minutes)..." >&2
QT_QPA_PLATFORM=offscreen "$build/bench/textcompare_bench" --benchmark_format=json "$@" >"$out"
echo "results: $out"

python3 - "$out" <<'PY'
import json
import statistics
import sys

with open(sys.argv[1]) as f:
    rows = [b for b in json.load(f)["benchmarks"] if b.get("run_type") == "iteration"]

# With --benchmark_repetitions a benchmark has several rows; the median stands for it.
def median(name, key):
    values = [b[key] for b in rows if b["name"] == name and key in b]
    return statistics.median(values) if values else None

def ms(name):
    return median(name, "real_time")

def idle(name):
    return median(name, "idle_layout_ms") or 0.0

checks = [
    ("BM_Compare/prose/1pct", "BM_Load/prose", 0.5),
    ("BM_Compare/cjk/1pct", "BM_Load/cjk", 0.5),
    ("BM_Compare/prose/all", "BM_Load/prose", 1.0),
    ("BM_Compare/longline/1pct", "BM_Load/prose", 2.0),
    ("BM_Load/longline", "BM_Load/prose", 2.0),
    ("BM_FindNext/prose10M", "BM_Load/prose10M", 0.25),
    ("BM_ReplaceAll/prose", "BM_Load/prose", 1.5),
]
print()
print("ms: measured time, up to the processed pending events; idle: the layout Qt leaves for")
print("idle time afterwards, finished and timed apart (not part of ms).")
print()
print(f"{'measure / yardstick':<44} {'ms':>8} {'idle':>8} {'ratio':>6} {'target':>6}  ok"
      f"  {'ratio with idle':>15}")
failed = False
for name, base, target in checks:
    a, b = ms(name), ms(base)
    if a is None or b is None:
        print(f"{name + ' / ' + base:<44} {'not run':>8}")
        continue
    ratio = a / b
    ok = ratio <= target
    failed |= not ok
    with_idle = (a + idle(name)) / (b + idle(base))
    print(f"{name + ' / ' + base:<44} {a:8.1f} {idle(name):8.1f} {ratio:6.2f} {target:6.2f}"
          f"  {'yes' if ok else 'NO ':3} {with_idle:15.2f}")
# Figures a benchmark reports as a counter rather than as its time: the counter, in ms, against
# the yardstick's time. A played session is measured by the slowest step a user waits for.
counter_checks = [
    ("BM_Session/mixed", "slowest_step_ms", "slowest step", "BM_Load/prose", 2.0),
]
for name, counter, what, base, target in counter_checks:
    a, b = median(name, counter), ms(base)
    label = f"{name} {what} / {base}"
    if a is None or b is None:
        print(f"{label:<44} {'not run':>8}")
        continue
    ratio = a / b
    ok = ratio <= target
    failed |= not ok
    print(f"{label:<44} {a:8.1f} {'':8} {ratio:6.2f} {target:6.2f}  {'yes' if ok else 'NO '}")
memory = median("BM_Resident/prose10M", "resident_bytes_per_text_byte")
if memory is not None:
    ok = memory <= 10
    failed |= not ok
    print(f"{'resident bytes per text byte, prose10M x2':<44} {'':8} {'':8} {memory:6.2f}"
          f" {10:6.2f}  {'yes' if ok else 'NO '}")
sys.exit(1 if failed else 0)
PY
