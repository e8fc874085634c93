#!/usr/bin/env python3
"""Turns the raw timings that bench/run.sh records into its table.

    report.py WORK_DIR

reads WORK_DIR/sets.tsv   (set, files, bytes, description)
      WORK_DIR/times.tsv  (set, operation, tool, round, start, end)
      WORK_DIR/rss.tsv    (set, operation, tool, peak resident KiB)

Each tool's time is the median of its rounds. The zvk/tool ratio is the
median of the per-round ratios: within a round the tools ran one after the
other, so a round's ratio sees the same machine load on both sides, and the
median keeps a round spoiled by a neighbour from moving it much.
"""
import collections
import statistics
import sys
from pathlib import Path


def read_tsv(path):
    if not path.exists():
        return []
    with path.open() as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip()]


def main():
    work = Path(sys.argv[1])
    sets = {}
    set_order = []
    for name, files, size, description in read_tsv(work / "sets.tsv"):
        sets[name] = (int(files), int(size), description)
        set_order.append(name)

    # times[(set, op)][tool][round] = seconds
    times = collections.defaultdict(lambda: collections.defaultdict(dict))
    op_order = []
    tool_order = collections.defaultdict(list)
    for name, op, tool, rnd, start, end in read_tsv(work / "times.tsv"):
        key = (name, op)
        if key not in op_order:
            op_order.append(key)
        if tool not in tool_order[key]:
            tool_order[key].append(tool)
        times[key][tool][int(rnd)] = float(end) - float(start)

    rss = {}
    for name, op, tool, kib in read_tsv(work / "rss.tsv"):
        rss[(name, op, tool)] = int(kib)

    header = f"{'set':<24} {'op':<7} {'tool':<7} {'median s':>9} {'min s':>8} {'max s':>8} " \
             f"{'files/s':>10} {'GB/s':>7} {'zvk/tool':>9} {'peak RSS':>10}"
    print(header)
    print("-" * len(header))
    for name in set_order:
        files, size, description = sets[name]
        for key in [k for k in op_order if k[0] == name]:
            op = key[1]
            per_tool = times[key]
            zvk_rounds = per_tool.get("zvk", {})
            for tool in tool_order[key]:
                rounds = per_tool[tool]
                values = list(rounds.values())
                median = statistics.median(values)
                ratios = [zvk_rounds[r] / rounds[r] for r in rounds if r in zvk_rounds and rounds[r] > 0]
                ratio = "" if tool == "zvk" or not ratios else f"{statistics.median(ratios):.2f}"
                peak = rss.get((name, op, tool))
                peak_text = f"{peak / 1024:.1f} MiB" if peak is not None else ""
                print(f"{description:<24} {op:<7} {tool:<7} {median:>9.3f} {min(values):>8.3f} {max(values):>8.3f} "
                      f"{files / median:>10.0f} {size / median / 1e9:>7.2f} {ratio:>9} {peak_text:>10}")
            print()
    print("zvk/tool: median over rounds of (zvk's time / that tool's time in the same round);")
    print("          above 1 means zvk is slower. GB/s counts the members' bytes, 10^9 bytes a GB.")
    print("peak RSS: maximum resident set size from /usr/bin/time -v, one extra run each.")


if __name__ == "__main__":
    main()
