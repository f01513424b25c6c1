#!/usr/bin/python3
"""Turns the JSON output of brenvo_bench into the table of docs/performance.md.
usage: bench_table.py RESULTS.json"""
import json
import sys

TIME_TARGET = 1.10       # large file time / 1 MiB file time
BYTES_TARGET = 64 * 1024  # large file bytes read - 1 MiB file bytes read


def size_label(n):
    if n >= 1 << 30:
        return "%g GiB" % (n / (1 << 30))
    if n >= 1 << 20:
        return "%g MiB" % (n / (1 << 20))
    return "%.1f KiB" % (n / 1024)


def us(t):
    return "%.1f" % t if t < 100 else "%.0f" % t


def main():
    with open(sys.argv[1]) as f:
        data = json.load(f)
    rows = {}
    order = []
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        kind, fmt, size = b["run_name"].split("/")[:3]
        if fmt not in rows:
            rows[fmt] = {}
            order.append(fmt)
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
        rows[fmt][(kind, size)] = {
            "time": b["cpu_time"] * scale,
            "bytes": int(b.get("bytes_read", 0)),
            "file": int(b.get("file_size", 0)),
        }
    print("| Format | real file: size, time µs | 1 MiB: time µs | large: size, time µs | large / 1 MiB "
          "| bytes read real / 1 MiB / large | floor (large) µs | large / floor | targets |")
    print("|---|---|---|---|---|---|---|---|---|")
    known = ["m4a", "wma", "rm", "aa", "aac", "wv", "spx", "tta", "wav"]
    order.sort(key=lambda f: known.index(f) if f in known else len(known))
    for fmt in order:
        r = rows[fmt]
        try:
            real, small, large = r[("open", "real")], r[("open", "small")], r[("open", "large")]
            floor = r[("floor", "large")]
        except KeyError:
            continue
        ratio = large["time"] / small["time"]
        grown = large["bytes"] - small["bytes"]
        met = ratio <= TIME_TARGET and grown <= BYTES_TARGET and large["file"] >= 1 << 30
        print("| %s | %s, %s | %s | %s, %s | %.2f | %d / %d / %d | %s | %.1f | %s |" % (
            fmt, size_label(real["file"]), us(real["time"]), us(small["time"]),
            size_label(large["file"]), us(large["time"]), ratio,
            real["bytes"], small["bytes"], large["bytes"],
            us(floor["time"]), large["time"] / floor["time"], "met" if met else "MISSED"))


if __name__ == "__main__":
    main()
