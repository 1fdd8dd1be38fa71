#!/usr/bin/python3
"""The Base64 codec against OpenSSL, natively and through ReRidu.dll under Wine.

One run measures, with the same timing code on both sides
(bench/base64_throughput/): natively OpenSSL's EVP_EncodeBlock and
EVP_DecodeBlock, each codec kernel this CPU runs and memcpy; under Wine, for
the i686 and the x86_64 build, the DLL's Base64_Encode and Base64_Decode, the
kernels linked into the Windows program, and Wine's memcpy. OpenSSL exists
natively only, so the DLL's figures are set beside OpenSSL's native ones,
with memcpy on each side as the common yardstick: "vs OpenSSL" is the plain
ratio, "by memcpy" the ratio after dividing each side by its own memcpy.

Encoding counts input bytes, decoding the text; the codec decodes its own
output (lines of 2048 characters and CR LF), OpenSSL its unbroken text.
Prints a table a build and whether the targets are met: encoding at least 3
and decoding at least 5 times OpenSSL at 64 KiB and 16 MiB, and at 1 KiB no
slower than the scalar kernel.

  bench/base64_bench.py [--no-build]
"""

import argparse
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZES = [1 << 10, 64 << 10, 16 << 20]
TARGETS = {"encode": 3.0, "decode": 5.0}


def build(preset, target):
    subprocess.run(["cmake", "--preset", preset], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", preset, "--target", target, "--", "-j2"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)


def measure(command):
    """{(subject, direction, size): MB/s} from the program's lines."""
    output = subprocess.run(command, cwd=ROOT, check=True, stdout=subprocess.PIPE, text=True).stdout
    figures = {}
    for line in output.splitlines():
        subject, direction, size, rate = line.split()
        figures[(subject, direction, int(size))] = float(rate)
    return figures


def wine_command(preset, arch):
    build_dir = os.path.join(ROOT, "build", preset)
    return [os.path.join(ROOT, "scripts", "wine-run"), "--arch", arch, "--prefix",
            os.path.join(build_dir, "wineprefix"), os.path.join(build_dir, "bin", "base64_dll_throughput.exe")]


def size_name(size):
    return f"{size >> 20} MiB" if size >= 1 << 20 else f"{size >> 10} KiB"


def rate_name(rate):
    return f"{rate / 1000:.2f} GB/s" if rate >= 1000 else f"{rate:.0f} MB/s"


def kernels(figures):
    """The kernel subjects in the order measured: the scalar one first."""
    return [s for s in dict.fromkeys(s for (s, _, _) in figures) if s.startswith("kernel-")]


def table(title, figures, subject, native):
    """Prints one build's rows; returns the targets it misses."""
    print(f"\n{title}: {subject} (kernels: {', '.join(k[len('kernel-'):] for k in kernels(figures))})")
    print(f"{'':9}{'size':>8} {'ReRidu':>11} {'OpenSSL':>11} {'vs OpenSSL':>11} {'by memcpy':>10}"
          f" {'scalar':>11} {'memcpy':>11}")
    missed = []
    for direction in ("encode", "decode"):
        for size in SIZES:
            ours = figures[(subject, direction, size)]
            theirs = native[("openssl", direction, size)]
            scalar = figures[("kernel-scalar", direction, size)]
            copy, native_copy = figures[("memcpy", "copy", size)], native[("memcpy", "copy", size)]
            ratio = ours / theirs
            print(f"{direction:9}{size_name(size):>8} {rate_name(ours):>11} {rate_name(theirs):>11} {ratio:>10.2f}x"
                  f" {(ours / copy) / (theirs / native_copy):>9.2f}x {rate_name(scalar):>11} {rate_name(copy):>11}")
            if size == SIZES[0]:
                if ours < scalar:
                    missed.append(f"{title} {direction} {size_name(size)}: slower than the scalar kernel")
            elif ratio < TARGETS[direction]:
                missed.append(f"{title} {direction} {size_name(size)}: {ratio:.2f}x, target {TARGETS[direction]}x")
    return missed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--no-build", action="store_true", help="use the programs already built")
    args = parser.parse_args()
    if not args.no_build:
        build("bench", "base64_native_throughput")
        build("win32", "base64_dll_throughput")
        build("win64", "base64_dll_throughput")

    native = measure([os.path.join(ROOT, "build", "bench", "bin", "base64_native_throughput")])
    i686 = measure(wine_command("win32", "win32"))
    x86_64 = measure(wine_command("win64", "win64"))

    # The kernel the exported functions would choose on this CPU: the last.
    missed = table("native", native, kernels(native)[-1], native)
    missed += table("i686 DLL under Wine", i686, "dll", native)
    missed += table("x86_64 DLL under Wine", x86_64, "dll", native)
    print()
    print("targets met" if not missed else "targets missed:\n  " + "\n  ".join(missed))
    return 0 if not missed else 1


if __name__ == "__main__":
    sys.exit(main())
