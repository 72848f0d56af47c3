#!/usr/bin/python3
"""Runs the benchmarks once and writes their figures into the performance document.

    /usr/bin/python3 scripts/benchmark-report.py [options]

Builds `koril_benchmarks` in Release (build/benchmark-release) unless --binary names one, runs it
once with JSON output (every benchmark repeated, the repetitions interleaved at random, medians
kept), and writes, from that one run:
  - the tables between the markers in docs/performance.md: each target with our time, the peer's
    and the floor's, the ratio and whether it is met; how the tree operations scale; the peak
    memory of the walks;
  - docs/performance-ratios.png, a chart of the ratios against their targets.
So the figures in the document are never typed by hand. The run's JSON stays in
build/benchmark-report.json, from which --from-json redraws both without running again.

Needs: Debian's /usr/bin/python3 with python3-matplotlib (`scripts/deps.sh report` installs it
and the build's packages: cmake, ninja-build, g++, libbenchmark-dev, libicu-dev). The benchmarks
make their trees under TMPDIR (--scratch); a full run takes 15 to 40 minutes on the shared
two-core machine, most of it making and copying the 100,000-file trees.
"""

import argparse
import json
import os
import re
import statistics
import subprocess
import sys
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DOCUMENT = ROOT / "docs" / "performance.md"
CHART = ROOT / "docs" / "performance-ratios.png"
RUN = ROOT / "build" / "benchmark-report.json"
BEGIN = "<!-- figures: begin (written by scripts/benchmark-report.py, do not edit by hand) -->"
END = "<!-- figures: end -->"
OURS = "Koril"


@dataclass
class Target:
    """One goal: our benchmark against a peer's or a floor's, at each of `args`."""

    title: str
    family: str
    against: str
    limit: float
    args: list = field(default_factory=lambda: [None])
    # The argument of the benchmark compared against, when it is not the same one.
    against_arg: object = None


TREE_SIZES = [1000, 10000, 100000]
PATH_CLASSES = [0, 1, 2, 3, 4]

TARGETS = [
    Target("compareDirectories, equal trees", "CompareDirectories", "DiffR", 1.0, TREE_SIZES),
    Target("compareDirectories, one file differs deep down", "CompareDirectoriesOneDeepDifference",
           "DiffR", 1.0, TREE_SIZES),
    Target("forEachMatching, plain wildcard pattern", "ForEachMatching", "ReaddirFnmatchFloor", 2.0,
           TREE_SIZES),
    Target("removeMatching, plain wildcard pattern", "RemoveMatching",
           "ReaddirFnmatchUnlinkFloor", 2.0, TREE_SIZES),
    Target("removeAll against rm -rf", "RemoveAll", "RmRf", 1.0, TREE_SIZES),
    Target("removeAll against std::filesystem::remove_all", "RemoveAll",
           "StdFilesystemRemoveAll", 1.0, TREE_SIZES),
    Target("listing with status", "ListWithStatus", "ReaddirFstatatFloor", 1.15, [10000, 100000]),
    Target("copyDirectory against cp -r", "CopyDirectory", "CpR", 1.0, TREE_SIZES),
    Target("copyDirectory against std::filesystem::copy", "CopyDirectory", "StdFilesystemCopy", 1.0,
           TREE_SIZES),
    Target("Path construction", "PathConstruct", "StdFilesystemPath", 1.0),
    Target("Path::filename", "PathFilename", "StdFilesystemPath", 1.0),
    Target("Path::stem", "PathStem", "StdFilesystemPath", 1.0),
    Target("Path::extension", "PathExtension", "StdFilesystemPath", 1.0),
    Target("Path::parentPath", "PathParentPath", "StdFilesystemPath", 1.0),
    Target("comparePaths against ICU unorm_compare", "ComparePaths", "IcuUnormCompare", 0.25,
           PATH_CLASSES),
    Target("status", "Status", "StdFilesystem", 1.5),
    Target("getModificationTime", "ModificationTime", "StdFilesystemLastWriteTime", 1.5),
    Target("symbolicLinkStatus", "SymbolicLinkStatus", "StdFilesystemSymlinkStatus", 1.2),
    Target("exists of a missing path (one system call)", "ExistsMissing", "FstatatFloor", 1.5),
    Target("isFileLocked with 4,000 descriptors open against none", "IsFileLocked", OURS, 1.25,
           [4000], against_arg=0),
]

SCALING = [
    ("compareDirectories, equal trees", "CompareDirectories", "DiffR"),
    ("compareDirectories, one file differs deep down", "CompareDirectoriesOneDeepDifference",
     "DiffR"),
    ("forEachMatching", "ForEachMatching", "ReaddirFnmatchFloor"),
    ("removeMatching", "RemoveMatching", "ReaddirFnmatchUnlinkFloor"),
    ("removeAll", "RemoveAll", "StdFilesystemRemoveAll"),
    ("copyDirectory", "CopyDirectory", "StdFilesystemCopy"),
    ("listing with status", "ListWithStatus", "ReaddirFstatatFloor"),
]

MEMORY = [
    ("removeAll", "PeakMemoryRemoveAll"),
    ("copyDirectory", "PeakMemoryCopyDirectory"),
    ("forEach", "PeakMemoryForEach"),
    ("compareDirectories (holds both listings of a level)", "PeakMemoryCompareDirectories"),
]

MET = {True: "yes", False: "**no**", None: "not measured"}
UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
NAME = re.compile(r"^BM_(?P<family>[A-Za-z0-9]+)_(?P<who>[A-Za-z0-9]+)$")


@dataclass
class Result:
    ns: float
    label: str
    counters: dict


def parse_name(run_name):
    """`BM_Family_Who/arg/iterations:3/manual_time` -> (family, who, arg)."""
    parts = run_name.split("/")
    match = NAME.match(parts[0])
    if not match:
        return None
    arg = None
    for part in parts[1:]:
        if re.fullmatch(r"-?\d+", part):
            arg = int(part)
    return match["family"], match["who"], arg


def load(data):
    """Median of each benchmark's repetitions, keyed by (family, who, arg)."""
    samples = {}
    for entry in data["benchmarks"]:
        if entry.get("run_type") != "iteration" or entry.get("error_occurred"):
            continue
        key = parse_name(entry["run_name"])
        if key is None:
            continue
        # Benchmarks that time themselves or wait for other processes report wall time; the
        # others CPU time, which the machine's other users disturb less.
        wall = "/manual_time" in entry["run_name"] or "/real_time" in entry["run_name"]
        value = entry["real_time"] if wall else entry["cpu_time"]
        counters = {k: v for k, v in entry.items() if k in ("peak_kib",)}
        samples.setdefault(key, []).append(
            (value * UNIT_NS[entry["time_unit"]], entry.get("label", ""), counters))
    results = {}
    for key, values in samples.items():
        counters = {}
        for name in {c for _, _, cs in values for c in cs}:
            counters[name] = statistics.median(cs[name] for _, _, cs in values if name in cs)
        results[key] = Result(statistics.median(v for v, _, _ in values), values[0][1], counters)
    return results, {key: len(values) for key, values in samples.items()}


def pretty_name(who):
    names = {
        "DiffR": "diff -r", "RmRf": "rm -rf", "CpR": "cp -r", "Cmp": "cmp",
        "StdFilesystem": "std::filesystem", "StdFilesystemRemoveAll": "std::filesystem::remove_all",
        "StdFilesystemCopy": "std::filesystem::copy", "StdFilesystemPath": "std::filesystem::path",
        "StdFilesystemLastWriteTime": "std::filesystem::last_write_time",
        "StdFilesystemSymlinkStatus": "std::filesystem::symlink_status",
        "StdFilesystemFnmatch": "std::filesystem + fnmatch",
        "IcuUnormCompare": "ICU unorm_compare", "ReaddirFnmatchFloor": "readdir + fnmatch",
        "ReaddirFnmatchUnlinkFloor": "readdir + fnmatch + unlink",
        "ReaddirFstatatFloor": "readdir + fstatat", "FstatatFloor": "one fstatat",
        "ReadMemcmpFloor": "read + memcmp", "PlainAsciiLoop": "plain ASCII loop",
        "StdWregex": "std::wregex",
        OURS: "koril",
    }
    return names.get(who, who)


def duration(ns):
    if ns is None:
        return ""
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def size_text(arg, label):
    if label:
        return label
    return "" if arg is None else f"{arg:,}"


def others(results, family, arg):
    """The peers and floors measured beside ours for one family and argument."""
    peers, floors = [], []
    for (fam, who, a), result in sorted(results.items()):
        if fam != family or a != arg or who == OURS:
            continue
        (floors if who.endswith("Floor") else peers).append((who, result))
    return peers, floors


def target_rows(results):
    rows = []
    for target in TARGETS:
        for arg in target.args:
            ours = results.get((target.family, OURS, arg))
            against_arg = arg if target.against_arg is None else target.against_arg
            against = results.get((target.family, target.against, against_arg))
            peers, floors = others(results, target.family, arg)
            ratio = ours.ns / against.ns if ours and against else None
            rows.append({
                "title": target.title,
                "size": size_text(arg, ours.label if ours else ""),
                "ours": ours.ns if ours else None,
                "peers": [(pretty_name(w), r.ns) for w, r in peers],
                "floors": [(pretty_name(w), r.ns) for w, r in floors],
                "against": pretty_name(target.against) if target.against_arg is None
                else f"{pretty_name(target.against)} at {target.against_arg}",
                "ratio": ratio,
                "limit": target.limit,
                "met": None if ratio is None else ratio <= target.limit,
            })
    return rows


def growth(results, family, who):
    """How much the time per entry grew from the smallest size to the largest."""
    first = results.get((family, who, TREE_SIZES[0]))
    last = results.get((family, who, TREE_SIZES[-1]))
    if not first or not last:
        return None
    return (last.ns / TREE_SIZES[-1]) / (first.ns / TREE_SIZES[0])


def markdown(results, counts, context, rows):
    lines = [BEGIN, ""]
    repetitions = max(counts.values()) if counts else 0
    lines += [
        f"Run of {context.get('date', '?')} on {context.get('host_name', '?')}: "
        f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, load "
        f"average {', '.join(f'{x:.1f}' for x in context.get('load_avg', []))} at the start, "
        f"{context.get('koril_build_type', 'Release')} build, scratch trees on "
        f"{context.get('koril_scratch', '?').splitlines()[-1]}. Each figure is the median of "
        f"{repetitions} "
        "repetitions, interleaved at random with every other benchmark; wall time for the tree "
        "operations and anything that runs a command, CPU time (user and system) for the rest.",
        "",
        "### Targets",
        "",
        "| operation | size | koril | peer | floor | ratio | target | met |",
        "|---|---|---|---|---|---|---|---|",
    ]
    for row in rows:
        peers = "<br>".join(f"{duration(ns)} {name}" for name, ns in row["peers"])
        floors = "<br>".join(f"{duration(ns)} {name}" for name, ns in row["floors"])
        ratio = "" if row["ratio"] is None else f"{row['ratio']:.2f}x {row['against']}"
        lines.append(
            f"| {row['title']} | {row['size']} | {duration(row['ours'])} | {peers} | {floors} | "
            f"{ratio} | ≤ {row['limit']:g}x | {MET[row['met']]} |")
    lines += [
        "",
        "### Other comparisons",
        "",
        "Benchmarks without a target, beside their peers or floors; the ratio is against the "
        "first of them.",
        "",
        "| operation | case | koril | peer | floor | ratio |",
        "|---|---|---|---|---|---|",
    ]
    covered = {target.family for target in TARGETS} | {family for _, family in MEMORY}
    for (family, who, arg), result in sorted(results.items(), key=lambda item: (
            item[0][0], -1 if item[0][2] is None else item[0][2])):
        if who != OURS or family in covered:
            continue
        peers, floors = others(results, family, arg)
        against = (peers + floors)[0] if peers or floors else None
        ratio = f"{result.ns / against[1].ns:.2f}x {pretty_name(against[0])}" if against else ""
        lines.append(
            f"| {family} | {size_text(arg, result.label)} | {duration(result.ns)} | "
            + "<br>".join(f"{duration(r.ns)} {pretty_name(w)}" for w, r in peers) + " | "
            + "<br>".join(f"{duration(r.ns)} {pretty_name(w)}" for w, r in floors)
            + f" | {ratio} |")
    lines += [
        "",
        "### Scaling",
        "",
        "Time per entry at each size (koril). Linear growth keeps it flat; the last column sets "
        "our growth beside that of what it is measured against, which holds the kernel's share.",
        "",
        "| operation | " + " | ".join(f"{s:,} entries" for s in TREE_SIZES) +
        " | per entry, 100,000 against 1,000 |",
        "|---|" + "---|" * (len(TREE_SIZES) + 1),
    ]
    for title, family, reference in SCALING:
        cells = []
        for size in TREE_SIZES:
            result = results.get((family, OURS, size))
            cells.append(f"{duration(result.ns)} ({duration(result.ns / size)} each)"
                         if result else "")
        ours = growth(results, family, OURS)
        theirs = growth(results, family, reference)
        summary = f"{ours:.2f}x" if ours else ""
        if ours and theirs:
            summary += f" ({theirs:.2f}x {pretty_name(reference)})"
        lines.append(f"| {title} | " + " | ".join(cells) + f" | {summary} |")
    lines += [
        "",
        "### Memory",
        "",
        "Rise of the peak resident size while one operation runs on one directory of that many "
        "entries.",
        "",
        "| operation | " + " | ".join(f"{s:,} entries" for s in TREE_SIZES) + " |",
        "|---|" + "---|" * len(TREE_SIZES),
    ]
    for title, family in MEMORY:
        cells = []
        for size in TREE_SIZES:
            result = results.get((family, OURS, size))
            peak = result.counters.get("peak_kib") if result else None
            cells.append("" if peak is None else f"{peak:,.0f} KiB")
        lines.append(f"| {title} | " + " | ".join(cells) + " |")
    lines += ["", "![Ratios against the targets](performance-ratios.png)", "", END]
    return "\n".join(lines)


def chart(rows, path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    shown = [r for r in rows if r["ratio"] is not None]
    if not shown:
        return
    labels = [f"{r['title']} {r['size']}".strip() for r in shown]
    figure, axes = plt.subplots(figsize=(10, 0.3 * len(shown) + 1.5))
    positions = range(len(shown))
    colours = ["#2a9d4b" if r["met"] else "#d1495b" for r in shown]
    axes.barh(positions, [r["ratio"] for r in shown], color=colours)
    axes.scatter([r["limit"] for r in shown], positions, marker="|", s=200, color="black",
                 label="target", zorder=3)
    axes.axvline(1.0, color="grey", linewidth=0.8)
    axes.set_xscale("log")
    ticks = [0.1, 0.25, 0.5, 1, 1.5, 2, 3]
    axes.set_xticks(ticks)
    axes.set_xticklabels([f"{tick:g}x" for tick in ticks])
    axes.minorticks_off()
    axes.set_yticks(list(positions))
    axes.set_yticklabels(labels, fontsize=7)
    axes.invert_yaxis()
    axes.set_xlabel("koril time / peer or floor time (log scale; left of the mark is met)")
    axes.legend(loc="lower right", fontsize=8)
    figure.tight_layout()
    figure.savefig(path, dpi=110)


def build(build_dir):
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir), "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release", "-DKORIL_BUILD_BENCHMARKS=ON",
                    "-DKORIL_BUILD_TESTS=OFF", "-DKORIL_BUILD_TOOLS=OFF",
                    "-DKORIL_WARNINGS_AS_ERRORS=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build_dir), "-j2", "--target", "koril_benchmarks"],
                   check=True)
    return build_dir / "bin" / "koril_benchmarks"


def file_system_of(directory):
    try:
        # The last line: the mount that is on top where several are stacked.
        kind = subprocess.run(["findmnt", "-n", "-o", "FSTYPE", "-T", str(directory)], check=True,
                              capture_output=True, text=True).stdout.split()[-1]
        return f"{kind} ({directory})"
    except (OSError, subprocess.CalledProcessError):
        return str(directory)


def build_type_of(binary):
    cache = Path(binary).resolve().parent.parent / "CMakeCache.txt"
    if cache.exists():
        for line in cache.read_text().splitlines():
            if line.startswith("CMAKE_BUILD_TYPE:"):
                return line.split("=", 1)[1]
    return "unknown"


def run(binary, repetitions, scratch, extra):
    environment = dict(os.environ, TMPDIR=str(scratch))
    out = RUN.with_suffix(".partial.json")
    out.parent.mkdir(exist_ok=True)
    subprocess.run([str(binary), f"--benchmark_repetitions={repetitions}",
                    "--benchmark_enable_random_interleaving=true",
                    "--benchmark_report_aggregates_only=false", "--benchmark_format=console",
                    f"--benchmark_out={out}", "--benchmark_out_format=json", *extra],
                   check=True, env=environment)
    data = json.loads(out.read_text())
    data["context"]["koril_scratch"] = file_system_of(scratch)
    data["context"]["koril_build_type"] = build_type_of(binary)
    return data


def write_document(block):
    text = DOCUMENT.read_text() if DOCUMENT.exists() else "# Performance\n\n"
    if BEGIN in text and END in text:
        text = text[:text.index(BEGIN)] + block + text[text.index(END) + len(END):]
    else:
        text = text.rstrip("\n") + "\n\n" + block + "\n"
    DOCUMENT.write_text(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", type=Path, help="a built koril_benchmarks (else build one)")
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build" / "benchmark-release")
    parser.add_argument("--repetitions", type=int, default=3)
    parser.add_argument("--scratch", type=Path, default=Path(os.environ.get("TMPDIR", "/tmp")),
                        help="where the benchmarks make their trees")
    parser.add_argument("--from-json", type=Path, nargs="?", const=RUN,
                        help=f"redraw from a kept run (default {RUN.relative_to(ROOT)})")
    parser.add_argument("extra", nargs="*", help="further arguments for the benchmark binary")
    arguments = parser.parse_args()

    if arguments.from_json:
        data = json.loads(arguments.from_json.read_text())
    else:
        binary = arguments.binary or build(arguments.build_dir)
        data = run(binary, arguments.repetitions, arguments.scratch, arguments.extra)
        RUN.write_text(json.dumps(data, indent=1) + "\n")
    results, counts = load(data)
    rows = target_rows(results)
    write_document(markdown(results, counts, data["context"], rows))
    chart(rows, CHART)
    unmet = [f"{r['title']} {r['size']}".strip() for r in rows if r["ratio"] and not r["met"]]
    print(f"wrote {DOCUMENT.relative_to(ROOT)} and {CHART.relative_to(ROOT)}")
    if unmet:
        print("targets not met: " + "; ".join(unmet))
    return 0


if __name__ == "__main__":
    sys.exit(main())
