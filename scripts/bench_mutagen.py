#!/usr/bin/python3
"""Times mutagen opening the files a brenvo_bench manifest lists, as a host
would use it: mutagen.File(path), then every tag and the stream information.
Per file, each repetition times a loop of opens long enough to measure (at
least --min-time seconds of CPU) and keeps the CPU time per open; bytes read
per open come from rchar of /proc/self/io, as in brenvo_bench.
usage: bench_mutagen.py [--repetitions N] [--min-time S] --out OUT.json MANIFEST.json
"""
import argparse
import json
import sys
import time

import mutagen


def open_and_read(path):
    """What a host reads of a file; None where mutagen does not know the format."""
    f = mutagen.File(path)
    if f is None:
        return None
    tags = f.tags
    fields = list(tags.items()) if tags is not None else []
    info = f.info
    return (len(fields), info.length, getattr(info, "bitrate", 0), getattr(info, "sample_rate", 0),
            getattr(info, "channels", 0), type(f).__name__)


def read_chars():
    with open("/proc/self/io") as f:
        for line in f:
            if line.startswith("rchar:"):
                return int(line.split()[1])
    return 0


def bytes_read_by(work):
    a = read_chars()
    b = read_chars()
    work()
    c = read_chars()
    return (c - b) - (b - a)


def run_opens(path, n):
    start = time.process_time()
    for _ in range(n):
        open_and_read(path)
    return time.process_time() - start


def time_opens(path, repetitions, min_time):
    """CPU seconds per open, one figure per repetition, and the opens per repetition."""
    # As Google Benchmark does: grow the loop (at most tenfold a step) until it runs long enough.
    n = 1
    spent = run_opens(path, n)
    while spent < min_time:
        n = max(n + 1, min(n * 10, int(n * min_time * 1.4 / max(spent, 1e-9))))
        spent = run_opens(path, n)
    times = [spent / n] + [run_opens(path, n) / n for _ in range(repetitions - 1)]
    return times, n


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.05)
    parser.add_argument("--out", required=True)
    parser.add_argument("manifest")
    options = parser.parse_args()
    with open(options.manifest) as f:
        manifest = json.load(f)
    result = {"mutagen": mutagen.version_string, "samples": []}
    for sample in manifest["samples"]:
        entry = {"format": sample["format"], "size": sample["size"], "path": sample["path"]}
        try:
            got = open_and_read(sample["path"])  # also the warm-up
        except mutagen.MutagenError as e:
            got, entry["reason"] = None, "%s: %s" % (type(e).__name__, e)
        if got is None:
            entry.setdefault("reason", "mutagen.File() knows no format for it")
        else:
            entry["class"] = got[-1]
            entry["bytes_read"] = bytes_read_by(lambda: open_and_read(sample["path"]))
            entry["times_us"], entry["opens_per_repetition"] = time_opens(
                sample["path"], options.repetitions, options.min_time)
            entry["times_us"] = [t * 1e6 for t in entry["times_us"]]
        if "reason" in entry:
            print("bench_mutagen: %s %s: %s" % (sample["format"], sample["size"], entry["reason"]),
                  file=sys.stderr)
        result["samples"].append(entry)
    with open(options.out, "w") as f:
        json.dump(result, f, indent=1)


if __name__ == "__main__":
    main()
