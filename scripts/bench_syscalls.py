#!/usr/bin/python3
"""Counts the system calls of one open, and the opens of the file's path, for
every file a brenvo_bench manifest lists: brenvo_open_traced opens the file
between marker calls under strace, and the lines between the markers are the
open's calls. A manifest written with --taglib_only is traced without the
plug-ins.
usage: bench_syscalls.py --driver brenvo_open_traced --out OUT.json MANIFEST.json...
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

BEGIN = '"/brenvo-open-traced/begin"'
END = '"/brenvo-open-traced/end"'
OPENS = ("open", "openat", "openat2", "creat")
# "1234  name(args" with -f; "<... name resumed>" continues a call already counted.
CALL = re.compile(r"^(?:\d+\s+)?([a-z_][a-z0-9_]*)\((.*)$")
TRACED_OPENS = 3
TRACE_LIMIT = 64 << 20


def segments(log_lines):
    """The calls between each begin marker and the next end marker."""
    current = None
    for line in log_lines:
        match = CALL.match(line)
        if not match:
            continue
        if BEGIN in line:
            current = []
        elif END in line:
            if current is not None:
                yield current
            current = None
        elif current is not None:
            current.append((match.group(1), match.group(2)))


def trace(driver, sample, plugins):
    if sample.get("bytes_read", 0) > TRACE_LIMIT:
        # A whole-file scan of a 1 GiB file (--full_scans) logs millions of lines.
        return {"error": "not traced: the open reads %d MiB" % (sample["bytes_read"] >> 20)}
    args = [driver, "--opens=%d" % TRACED_OPENS]
    if not plugins:
        args.append("--taglib_only")
    if sample.get("reader") == "TagLib::MPEG::File":
        args.append("--mpeg")
    args.append(sample["path"])
    with tempfile.NamedTemporaryFile(prefix="brenvo-strace-", suffix=".log") as log:
        run = subprocess.run(["strace", "-qq", "-f", "-s", "4096", "-e", "signal=none", "-o", log.name] + args,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0:
            return {"error": "driver exit %d: %s" % (run.returncode, (run.stderr or run.stdout).strip()[-200:])}
        with open(log.name, errors="replace") as f:
            opens = list(segments(f))
    if len(opens) != TRACED_OPENS:
        return {"error": "found %d of %d traced opens" % (len(opens), TRACED_OPENS)}
    quoted = '"%s"' % sample["path"]
    counts = []
    for calls in opens:
        by_name = {}
        for name, rest in calls:
            by_name[name] = by_name.get(name, 0) + 1
        path_opens = sum(1 for name, rest in calls if name in OPENS and quoted in rest)
        counts.append((len(calls), path_opens, by_name))
    # The opens are alike but for the allocator now and then; the median one stands for them.
    counts.sort(key=lambda c: c[0])
    total, path_opens, by_name = counts[len(counts) // 2]
    return {
        "syscalls": total,
        "opens": path_opens,
        "by_name": dict(sorted(by_name.items(), key=lambda kv: (-kv[1], kv[0]))),
        "range": [counts[0][0], counts[-1][0]],
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("manifests", nargs="+")
    options = parser.parse_args()
    result = {}
    for path in options.manifests:
        with open(path) as f:
            manifest = json.load(f)
        who = "ours" if manifest["plugins"] else "taglib"
        for sample in manifest["samples"]:
            key = "%s/%s" % (sample["format"], sample["size"])
            got = trace(os.path.abspath(options.driver), sample, manifest["plugins"])
            if "error" in got:
                print("bench_syscalls: %s %s: %s" % (who, key, got["error"]), file=sys.stderr)
            result.setdefault(who, {})[key] = got
    with open(options.out, "w") as f:
        json.dump(result, f, indent=1)


if __name__ == "__main__":
    main()
