#!/usr/bin/env python3
"""Benchmark: SIGSCAN.dll (scanbench.exe under Wine) against Debian's clamscan
over the same generated file set, with 50 and 5000 signatures from the same
list (clamscan reads the .ndb list itself, only it: -d FILE; never freshclam).

    run_bench.py BUILD_DIR [--runs N]

Prints, for each list size, the median and best wall time of whole runs of
both scanners (started alternately), scanbench's own time for the scan alone,
and the throughput ratio ours / clamscan. Only after both found exactly the
expected files with the expected ids.
"""

import argparse
import os
import platform
import shlex
import statistics
import subprocess
import sys
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BENCH = os.path.join(ROOT, "tests", "support", "bench")

# clamscan with everything that is not signature matching turned off (the
# scanner we measure does not unpack, parse documents or cache), and as it
# comes.
CLAMSCAN_RAW = ["--disable-cache", "--scan-pe=no", "--scan-elf=no", "--scan-ole2=no", "--scan-pdf=no",
                "--scan-swf=no", "--scan-html=no", "--scan-xmldocs=no", "--scan-hwp3=no", "--scan-onenote=no",
                "--scan-archive=no", "--scan-mail=no", "--scan-image=no", "--heuristic-alerts=no"]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(cmd, env=None):
    start = time.perf_counter()
    out = subprocess.run(cmd, capture_output=True, text=True, env=env)
    return time.perf_counter() - start, out


def wine_env(bench_dir):
    out = subprocess.run([BENCH, bench_dir, "env"], capture_output=True, text=True, check=True).stdout
    env = dict(os.environ)
    for line in out.splitlines():
        name, _, value = line[len("export "):].partition("=")
        env[name] = shlex.split(value)[0] if value else ""
    return env


def ours_found(output):
    found = {}
    for line in output.splitlines():
        if line.startswith("found "):
            path, vid = line[len("found "):].rsplit(" ", 1)
            found[path.split("\\")[-1]] = int(vid)
    return found


def ours_times(output):
    fields = output.strip().splitlines()[-1].split()
    values = dict(zip(fields[0::2], fields[1::2]))
    return int(values["files"]), int(values["bytes"]), float(values["init_s"]), float(values["scan_s"])


def clam_found(output):
    found = {}
    for line in output.splitlines():
        if line.endswith(" FOUND"):
            path, name = line[:-len(" FOUND")].rsplit(": ", 1)
            found[os.path.basename(path)] = int(name.split(".")[0][2:])
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    work = os.path.join(build, "scanbench")
    bench_dir = os.path.join(work, "bench")
    os.makedirs(work, exist_ok=True)

    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "scanbench", "gen_corpus.py"), work], check=True)
    files = sorted(os.path.join(work, "files", f) for f in os.listdir(os.path.join(work, "files")))
    with open(os.path.join(work, "files.txt"), "w") as f:
        f.write("\n".join(files) + "\n")
    with open(os.path.join(work, "files_windows.txt"), "w") as f:
        f.write("\r\n".join(windows_path(p) for p in files) + "\r\n")
    expected = {}
    with open(os.path.join(work, "expected.txt")) as f:
        for line in f:
            name, vid = line.split()
            expected[name] = int(vid)

    sizes = (50, 5000)
    for n in sizes:
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "vzinx", "build_vzinx.py"),
                        os.path.join(work, "list%d.ndb" % n), "--index", os.path.join(work, "list%d.inx" % n)],
                       check=True)

    subprocess.run([BENCH, bench_dir, "start"], check=True, capture_output=True)
    # scanbench finds VZMSI32.DLL beside it, in the build's bin folder.
    env = wine_env(bench_dir)
    scanbench = windows_path(os.path.join(build, "bin", "scanbench.exe"))
    file_list = windows_path(os.path.join(work, "files_windows.txt"))

    def ours(n):
        return run(["wine", scanbench, windows_path(os.path.join(work, "list%d.inx" % n)), file_list], env)

    def clam(n, raw):
        return run(["clamscan", "--no-summary", "--infected", "-d", os.path.join(work, "list%d.ndb" % n)]
                   + (CLAMSCAN_RAW if raw else []) + ["-f", os.path.join(work, "files.txt")])

    try:
        subprocess.run("cat %s/* > /dev/null" % shlex.quote(os.path.join(work, "files")), shell=True)
        total_bytes = sum(os.path.getsize(p) for p in files)
        # Correctness first: both find exactly the expected files, with the expected ids.
        for n in sizes:
            _, out = ours(n)
            if out.returncode != 0 or ours_found(out.stdout) != expected:
                print("scanbench with %d signatures found %s, expected %s\n%s" % (n, ours_found(out.stdout), expected,
                                                                                  out.stderr))
                return 1
            for raw in (True, False):
                _, out = clam(n, raw)
                if clam_found(out.stdout) != expected:
                    print("clamscan with %d signatures found %s, expected %s\n%s" % (n, clam_found(out.stdout),
                                                                                     expected, out.stderr))
                    return 1

        print("Scan benchmark: %d files, %.1f MiB; %d runs each, alternating; %s, %d cores, load %s"
              % (len(files), total_bytes / 2**20, args.runs, platform.processor() or platform.machine(),
                 os.cpu_count(), " ".join("%.2f" % x for x in os.getloadavg())))
        print("Both scanners found the %d expected files, with the expected ids, and nothing else." % len(expected))
        print()
        header = "%-6s %-31s %14s %14s %16s %9s"
        print(header % ("sigs", "scanner", "median wall s", "best wall s", "MiB/s (median)", "ours/it"))
        for n in sizes:
            walls = {"ours": [], "raw": [], "default": []}
            inside = []
            for _ in range(args.runs):
                t, out = ours(n)
                walls["ours"].append(t)
                inside.append(ours_times(out.stdout))
                walls["raw"].append(clam(n, True)[0])
                walls["default"].append(clam(n, False)[0])
            ours_median = statistics.median(walls["ours"])
            rows = [("ours", "SIGSCAN.dll (Wine, whole run)"), ("raw", "clamscan, parsers off"),
                    ("default", "clamscan, default options")]
            for key, label in rows:
                median = statistics.median(walls[key])
                ratio = "" if key == "ours" else "%.2f" % (median / ours_median)
                print(header % (n, label, "%.3f" % median, "%.3f" % min(walls[key]),
                                "%.1f" % (total_bytes / 2**20 / median), ratio))
            init = statistics.median(x[2] for x in inside)
            scan = statistics.median(x[3] for x in inside)
            print(header % (n, "SIGSCAN.dll, scan alone", "%.3f" % scan, "%.3f" % min(x[3] for x in inside),
                            "%.1f" % (total_bytes / 2**20 / scan), "") + "   (index load %.4f s)" % init)
        print()
        _, out = run(["wine", scanbench, "--memory"], env)
        fields = out.stdout.split()
        if out.returncode == 0 and fields and fields[0] == "memory_s":
            print("Memory scan (VZMSI32.DLL, every other program of the Wine machine): %s s, result %s"
                  % (" / ".join(fields[1:4]), fields[5]))
        print()
        print("ours/it: throughput of SIGSCAN.dll's whole run (Wine start, index load, scan) divided by")
        print("clamscan's (database load, scan); above 1 means ours is faster.")
    finally:
        subprocess.run([BENCH, bench_dir, "stop"], capture_output=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
