#!/usr/bin/env python3
"""Times ReRidu.dll's regex exports under Wine beside the native rivals, in one run.

Build the presets first (bench, and win32 and/or win64), then:

    bench/regex_wine_bench.py [--builds win32,win64] [--engines PCRE2,Boost,RE2,std::regex]

The native benchmark (build/bench/bin/regex_bench --plain) times ReRidu's
portable entry points and the rivals; regex_exports_bench.exe times each
DLL through its exports under Wine. Both processes time the same integer
kernel, and every ratio is taken between normalised times,

    (DLL time / kernel under Wine) / (rival time / native kernel),

so that what Wine and the two processes' clock speeds do to a plain loop
cancels out. Every engine must have found what ReRidu found.
"""

import argparse
import math
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LICENCES = "/usr/share/common-licenses"


def python_folder():
    """The newest python3.N standard library under /usr/lib."""
    names = [n for n in os.listdir("/usr/lib")
             if n.startswith("python3.") and os.path.exists(os.path.join("/usr/lib", n, "os.py"))]
    if not names:
        sys.exit("regex_wine_bench: no Python standard library under /usr/lib")
    return os.path.join("/usr/lib", max(names, key=lambda n: int(n.split(".")[1])))


def parse(output):
    """{engine: {workload: (ns, outcome)}} and the kernel's ns, from plain lines."""
    times, kernel = {}, None
    for line in output.splitlines():
        engine, workload, ns, outcome = line.split("\t")
        if engine == "kernel":
            kernel = float(ns)
        else:
            times.setdefault(engine, {})[workload] = (float(ns), outcome)
    if kernel is None:
        sys.exit("regex_wine_bench: no kernel time in\n" + output)
    return times, kernel


def run(command):
    print("+ " + " ".join(command), file=sys.stderr, flush=True)
    done = subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, text=True)
    if done.returncode != 0:
        sys.exit("regex_wine_bench: %s failed (%d)" % (command[0], done.returncode))
    return done.stdout


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--builds", default="win32,win64", help="Windows presets to time (built first)")
    parser.add_argument("--engines", default="PCRE2,Boost,RE2,std::regex", help="native rivals to time")
    args = parser.parse_args()
    python = python_folder()

    native, native_kernel = parse(run([os.path.join("build", "bench", "bin", "regex_bench"), "--plain",
                                       "--engines=ReRidu," + args.engines, LICENCES, python]))
    columns = [("host", native["ReRidu"], native_kernel)]
    for build in args.builds.split(","):
        arch = {"win32": "win32", "win64": "win64"}[build]
        program = os.path.join("build", build, "bin", "regex_exports_bench.exe")
        prefix = os.path.join("build", build, "wineprefix")
        times, kernel = parse(run([os.path.join("scripts", "wine-run"), "--arch", arch, "--prefix", prefix,
                                   program, windows_path(LICENCES), windows_path(python)]))
        columns.append((build, times["ReRidu.dll"], kernel))

    workloads = list(native["ReRidu"].keys())
    disagreements = [(name, w) for name, times, _ in columns[1:] for w in workloads
                     if times[w][1] != native["ReRidu"][w][1]]
    for name, w in disagreements:
        print("%s: %s found %s, the portable entry points %s" % (w, name, columns[[c[0] for c in columns].index(name)][1][w][1],
                                                                 native["ReRidu"][w][1]), file=sys.stderr)

    rivals = [r for r in ("PCRE2", "Boost") if r in native]
    header = "%-18s" % "workload" + "".join(" %12s" % (r + " us") for r in rivals)
    for rival in rivals:
        header += "".join(" %10s" % ("%s/%s" % (name, rival[:5])) for name, _, _ in columns)
    print("\nReRidu's time over the rival's, each normalised by its process's kernel "
          "(native %.1f ms%s)" % (native_kernel / 1e6, "".join(", %s %.1f ms" % (n, k / 1e6) for n, _, k in columns[1:])))
    print(header)
    logs = {(name, rival): [] for name, _, _ in columns for rival in rivals}
    worst = {(name, rival): (0, "") for name, _, _ in columns for rival in rivals}
    for w in workloads:
        trap = w.startswith("trap_")
        row = "%-18s" % (w + ("*" if trap else ""))
        for rival in rivals:
            ns, outcome = native[rival][w]
            row += " %12s" % ("%.1f" % (ns / 1000) if ns > 0 else outcome)
        for rival in rivals:
            rival_ns = native[rival][w][0]
            for name, times, kernel in columns:
                if rival_ns <= 0:
                    row += " %10s" % "-"
                    continue
                ratio = (times[w][0] / kernel) / (rival_ns / native_kernel)
                row += " %10.2f" % ratio
                if not trap:
                    logs[(name, rival)].append(math.log(ratio))
                if ratio > worst[(name, rival)][0]:
                    worst[(name, rival)] = (ratio, w)
        print(row)
    row = "%-18s" % "geometric mean" + " %12s" % "" * len(rivals)
    for rival in rivals:
        for name, _, _ in columns:
            values = logs[(name, rival)]
            row += " %10.2f" % math.exp(sum(values) / len(values)) if values else " %10s" % "-"
    print(row)
    print("* a former trap, in no mean")
    for (name, rival), (ratio, w) in sorted(worst.items()):
        print("worst %s/%s: %.2f (%s)" % (name, rival, ratio, w))
    print_times(columns, native, native_kernel, workloads, [r for r in args.engines.split(",") if r in native])
    return 1 if disagreements else 0


def print_times(columns, native, native_kernel, workloads, rivals):
    """Every engine's time in microseconds, the DLLs' scaled to the native kernel."""
    print("\nTimes in us (the DLLs' scaled by native kernel / their kernel)")
    names = [name for name, _, _ in columns] + rivals
    print("%-18s" % "workload" + "".join(" %11s" % n for n in names))
    for w in workloads:
        row = "%-18s" % w
        for _, times, kernel in columns:
            row += " %11.1f" % (times[w][0] * native_kernel / kernel / 1000)
        for rival in rivals:
            ns, outcome = native[rival][w]
            row += " %11s" % ("%.1f" % (ns / 1000) if ns > 0 else outcome)
        print(row)


if __name__ == "__main__":
    sys.exit(main())
