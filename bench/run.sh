#!/usr/bin/env bash
# Installs what is missing, builds and runs the benchmark program, keeps its JSON output and
# prints the ratios the targets are set in.
# Usage: bash bench/run.sh [build folder] [extra benchmark options]
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

build="${1:-$BUILD_DIR}"
shift || true

install_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
build_in "$build" "$ROOT" textcompare_bench -DTEXTCOMPARE_BENCH=ON

out="$build/bench/results.json"
# A resident-memory figure is only meaningful in a process whose heap no other benchmark has
# grown: the one of aligned compare runs in a process of its own.
alone="$build/bench/results-alone.json"
echo "running the benchmarks (a few minutes)..." >&2
QT_QPA_PLATFORM=offscreen "$build/bench/textcompare_bench" --benchmark_format=json \
    --benchmark_filter=-BM_AlignedResident "$@" >"$out"
QT_QPA_PLATFORM=offscreen "$build/bench/textcompare_bench" --benchmark_format=json \
    "$@" --benchmark_filter=BM_AlignedResident >"$alone"
echo "results: $(shown_path "$out") $(shown_path "$alone")"

python3 - "$out" "$alone" <<'PY'
import json
import statistics
import sys

rows = []
for path in sys.argv[1:]:
    with open(path) as f:
        rows += [b for b in json.load(f)["benchmarks"] if b.get("run_type") == "iteration"]

# With --benchmark_repetitions a benchmark has several rows; the median stands for it.
def median(name, key):
    values = [b[key] for b in rows if b["name"] == name and key in b]
    return statistics.median(values) if values else None

def ms(name):
    return median(name, "real_time")

def idle(name):
    return median(name, "idle_layout_ms") or 0.0

checks = [
    ("BM_Compare/prose/1pct", "BM_LoadLaidOut/prose", 0.5),
    ("BM_Compare/cjk/1pct", "BM_LoadLaidOut/cjk", 0.5),
    ("BM_Compare/prose/all", "BM_LoadLaidOut/prose", 1.0),
    ("BM_Compare/longline/1pct", "BM_LoadLaidOut/prose", 2.0),
    ("BM_LoadLaidOut/longline", "BM_LoadLaidOut/prose", 2.0),
    ("BM_LoadFile/prose10M", "BM_Load/prose10M", 1.1),
    ("BM_FindNext/prose10M", "BM_LoadLaidOut/prose10M", 0.25),
    ("BM_ReplaceAll/prose", "BM_LoadLaidOut/prose", 1.5),
    ("BM_AlignedCompare/prose/1pct", "BM_LoadLaidOut/prose", 1.0),
    ("BM_AlignedCompare/cjk/1pct", "BM_LoadLaidOut/cjk", 1.0),
    ("BM_AlignedCompare/longline/1pct", "BM_LoadLaidOut/prose", 2.0),
    ("BM_AlignedCompare/unrelated", "BM_LoadLaidOut/prose", 2.0),
    # Editing one long unbroken line.
    ("BM_Clear/longline", "BM_LoadLaidOut/longline", 1.0),
    ("BM_Undo/longline", "BM_LoadLaidOut/longline", 1.0),
    ("BM_Redo/longline", "BM_LoadLaidOut/longline", 1.0),
    ("BM_DeleteAll/longline", "BM_LoadLaidOut/longline", 1.0),
    ("BM_ReplaceAll/longline", "BM_LoadLaidOut/longline", 1.0),
    ("BM_Type/longline", "BM_LoadLaidOut/longline", 0.05),
    ("BM_FindNext/longline", "BM_LoadLaidOut/longline", 0.05),
    # The user's path, against decoding ten megabytes.
    ("BM_Paste/prose10M", "BM_Floor/decode10M", 4.0),
    ("BM_Paste/longline", "BM_Floor/decode10M", 4.0),
    ("BM_CompareAfterPaste/prose10M/1pct", "BM_Floor/decode10M", 4.0),
    ("BM_CompareAfterPaste/prose/1pct", "BM_Floor/decode10M", 4.0),
    ("BM_CompareAfterPaste/longline/1pct", "BM_Floor/decode10M", 4.0),
    ("BM_ReplaceAll/prose10M", "BM_Floor/decode10M", 4.0),
]
# The longest stall of a step, against decoding ten megabytes.
stall_checks = [
    ("BM_Paste/prose10M", 2.0),
    ("BM_Paste/longline", 2.0),
    ("BM_CompareAfterPaste/prose10M/1pct", 2.0),
    ("BM_CompareAfterPaste/prose/1pct", 2.0),
    ("BM_CompareAfterPaste/longline/1pct", 2.0),
    ("BM_ReplaceAll/prose10M", 2.0),
    ("BM_Idle/longline", 0.5),
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
for name in ("BM_AlignedResident/prose10M/1pct",):
    memory = median(name, "resident_bytes_per_text_byte")
    if memory is None:
        continue
    ok = memory <= 10
    failed |= not ok
    print(f"{'resident bytes per text byte, aligned prose10M':<44} {'':8} {'':8} {memory:6.2f}"
          f" {10:6.2f}  {'yes' if ok else 'NO '}")
floor = ms("BM_Floor/decode10M")
if floor is not None:
    print()
    print(f"{'longest stall / decode10M':<44} {'ms':>8} {'':8} {'ratio':>6} {'target':>6}  ok")
    for name, target in stall_checks:
        stall = median(name, "longest_stall_ms")
        if stall is None:
            continue
        ratio = stall / floor
        ok = ratio <= target
        failed |= not ok
        print(f"{name:<44} {stall:8.1f} {'':8} {ratio:6.2f} {target:6.2f}  {'yes' if ok else 'NO '}")
    cpu = median("BM_Idle/longline", "cpu_percent")
    if cpu is not None:
        ok = cpu <= 5
        failed |= not ok
        print(f"{'idle CPU %, caret in the long line':<44} {cpu:8.1f} {'':8} {'':6} {5:6.2f}"
              f"  {'yes' if ok else 'NO '}")
stalled = list(dict.fromkeys(b["name"] for b in rows if "longest_stall_ms" in b))
if stalled:
    print()
    for name in stalled:
        print(f"longest stall, {name:<40} {median(name, 'longest_stall_ms'):8.1f} ms")
sys.exit(1 if failed else 0)
PY
