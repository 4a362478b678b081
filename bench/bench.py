#!/usr/bin/env python3
"""Runs the benchmarks and prints the table; bench/run.sh builds the programs and calls this.

  bench.py BUILD_DIR WINEPREFIX [--runs N] [--strip-mb N] [--fonts N] [--dsc-mb N] [--baseline-bench EXE]
           [--max-strip-rss-mb N] [--only KIND]

--baseline-bench runs an older build's folimar_bench.exe on the same job, for the speed against it.
Exits with 1 when the peak memory of preparing the job passes --max-strip-rss-mb.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_jobs  # noqa: E402

MIB = 1 << 20


def wine_path(path):
    # Wine maps the Linux root to drive Z:.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Runner:
    def __init__(self, build, prefix):
        self.build = build
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=")
        self.env.pop("DISPLAY", None)

    def run(self, cmd, wine=True):
        """Runs cmd; returns (wall seconds, max RSS in KiB, stdout)."""
        # Output goes through files: Wine's service processes inherit pipes and would hold them open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err, \
                tempfile.NamedTemporaryFile() as rss:
            start = time.perf_counter()
            done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", rss.name] + cmd, env=self.env if wine else None,
                                  stdout=out, stderr=err)
            wall = time.perf_counter() - start
            out.seek(0)
            err.seek(0)
            if done.returncode != 0:
                sys.exit("failed: %s\n%s" % (" ".join(cmd), err.read().decode(errors="replace")))
            return wall, int(open(rss.name).read().split()[-1]), out.read().decode()

    def bench(self, *args, exe=None):
        return self.run([exe or os.path.join(self.build, "bench", "folimar_bench.exe")] + list(args))


def sync():
    # Written data reaches the disk between runs, so one run's write-back does not slow the next.
    subprocess.run(["sync"], check=True)


def ensure(path, size, make):
    if not os.path.exists(path) or os.path.getsize(path) != size:
        print("generating %s ..." % path, file=sys.stderr)
        make()


def strip_runs(r, original, job, size_mb, cut, runs, exe=None):
    """Strips a fresh copy of the job runs times; returns the in-process seconds, wall seconds and max RSS (KiB)."""
    strip, wall, rss = [], [], []
    for _ in range(runs):
        subprocess.run(["cp", original, job], check=True)
        sync()
        w, kib, out = r.bench("strip", wine_path(job), exe=exe)
        seconds, pages = out.split()
        if os.path.getsize(job) != size_mb * MIB - cut or int(pages) != 20:
            sys.exit("strip gave %d bytes and %s pages; expected %d bytes and 20 pages" %
                     (os.path.getsize(job), pages, size_mb * MIB - cut))
        strip.append(float(seconds))
        wall.append(w)
        rss.append(kib)
        sync()
    os.remove(job)
    return strip, wall, rss


def strip_rows(r, data, runs, size_mb, fonts, baseline, max_rss_mb):
    original = os.path.join(data, "fonts-%d.ps" % size_mb)
    cut_file = original + ".cut"
    ensure(original, size_mb * MIB,
           lambda: open(cut_file, "w").write(str(make_jobs.write_fonts_job(original, size_mb, fonts)[1])))
    cut = int(open(cut_file).read())
    job = os.path.join(data, "strip-job.ps")
    copy = os.path.join(data, "cp-copy.ps")

    small = os.path.join(data, "fonts-small.ps")
    make_jobs.write_fonts_job(small, 1, 2)
    _, base_rss, _ = r.bench("strip", wine_path(small))

    cp = []
    for _ in range(runs):
        wall, _, _ = r.run(["cp", original, copy], wine=False)
        cp.append(wall)
        os.remove(copy)
        sync()
    strip, strip_wall, rss = strip_runs(r, original, job, size_mb, cut, runs)
    s, w, c = (statistics.median(x) for x in (strip, strip_wall, cp))
    peak = max(rss)
    over = peak > max_rss_mb * 1024
    rows = [
        ("StripFontsAndCountPages, %d MiB job, %d fonts (%.1f MiB cut)" % (size_mb, fonts, cut / MIB),
         "%.3f s" % s),
        ("  the same, whole driver process with Wine start-up", "%.3f s" % w),
        ("cp of the same file, same disk", "%.3f s" % c),
        ("ratio StripFontsAndCountPages / cp", "%.2f (process: %.2f)" % (s / c, w / c)),
        ("  ratio of the fastest runs (%.3f s / %.3f s)" % (min(strip), min(cp)), "%.2f" % (min(strip) / min(cp))),
        ("peak memory (highest max RSS of the driver over the runs)",
         "%.0f MiB = %.3f x job size%s" % (peak / 1024, peak * 1024 / (size_mb * MIB),
                                          " -- OVER the %d MiB limit" % max_rss_mb if over else
                                          " (limit %d MiB)" % max_rss_mb)),
        ("  driver on a 1 MiB job (Wine's own share)", "%.0f MiB" % (base_rss / 1024)),
    ]
    if baseline:
        old, old_wall, old_rss = strip_runs(r, original, job, size_mb, cut, runs, exe=baseline)
        o = statistics.median(old)
        rows += [
            ("baseline build's StripFontsAndCountPages, same job", "%.3f s, peak %.0f MiB" % (o, max(old_rss) / 1024)),
            ("ratio this build / baseline (lower is faster)", "%.2f (fastest runs: %.2f)" % (s / o, min(strip) / min(old))),
        ]
    return rows, over


def dsc_rows(r, data, size_mb):
    sizes = (1, size_mb)
    paths = [os.path.join(data, "big-%d.ps" % mb) for mb in sizes]
    for mb, path in zip(sizes, paths):
        ensure(path, mb * MIB, lambda: make_jobs.write_big_job(path, mb))
    _, _, out = r.bench("dsc", "2000", *[wine_path(p) for p in paths])
    return [("ReadDscHeader, %d MiB job (median of 9 x 2000 calls)" % mb, "%s us per call" % us)
            for mb, us in zip(sizes, out.split())]


def conversion_rows(r, data, runs):
    text = os.path.join(data, "pages-50-font.ps")
    make_jobs.write_pages_job(text, 50, 1)
    images = os.path.join(data, "images-60.ps")
    if not os.path.exists(images):
        print("generating %s ..." % images, file=sys.stderr)
        make_jobs.write_images_job(images, 60, 110)
    return (compare_with_gs(r, data, runs, text, "50-page text job with an embedded font", 50) +
            compare_with_gs(r, data, runs, images, "60-page %d MiB image job" % (os.path.getsize(images) // MIB), 60))


def compare_with_gs(r, data, runs, original, what, pages):
    job = os.path.join(data, "convert-job.ps")
    pdf_folimarc = os.path.join(data, "folimarc.pdf")
    pdf_gs = os.path.join(data, "gs.pdf")
    folimarc, gs = [], []
    for _ in range(runs):
        # The copy reaches the disk first: folimarc flushes its PDF, which must not wait for the copy.
        subprocess.run(["cp", original, job], check=True)
        sync()
        wall, _, _ = r.run([os.path.join(r.build, "folimarc.exe"), wine_path(job), wine_path(pdf_folimarc)])
        folimarc.append(wall)
        subprocess.run(["cp", original, job], check=True)
        sync()
        wall, _, _ = r.run(["gs", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite",
                            "-sOutputFile=" + pdf_gs, job], wine=False)
        gs.append(wall)
    for pdf in (pdf_folimarc, pdf_gs):
        info = subprocess.run(["pdfinfo", pdf], stdout=subprocess.PIPE, check=True).stdout.decode()
        if "Pages:           %d\n" % pages not in info:
            sys.exit("%s does not have %d pages:\n%s" % (pdf, pages, info))
    f, g = statistics.median(folimarc), statistics.median(gs)
    return [
        ("folimarc.exe JOB OUT, %s (Wine start included)" % what, "%.3f s" % f),
        ("gs -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite, same job", "%.3f s" % g),
        ("ratio folimarc / gs", "%.2f" % (f / g)),
        ("  ratio of the fastest runs (%.3f s / %.3f s)" % (min(folimarc), min(gs)), "%.2f" % (min(folimarc) / min(gs))),
    ]


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("build")
    p.add_argument("prefix")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--strip-mb", type=int, default=1024)
    p.add_argument("--baseline-bench")
    p.add_argument("--max-strip-rss-mb", type=int, default=100)
    p.add_argument("--fonts", type=int, default=300)
    p.add_argument("--dsc-mb", type=int, default=1024)
    p.add_argument("--only", choices=("strip", "dsc", "conversion"), help="run one kind of benchmark")
    a = p.parse_args()
    data = os.path.join(a.build, "bench-data")
    os.makedirs(data, exist_ok=True)
    r = Runner(a.build, a.prefix)
    r.bench("dsc", "1", wine_path(__file__))  # a warm-up, so the first measured run pays no Wine start
    rows, over = [], False
    if a.only in (None, "strip"):
        rows, over = strip_rows(r, data, a.runs, a.strip_mb, a.fonts, a.baseline_bench, a.max_strip_rss_mb)
    if a.only in (None, "dsc"):
        rows += dsc_rows(r, data, a.dsc_mb)
    if a.only in (None, "conversion"):
        rows += conversion_rows(r, data, a.runs)
    width = max(len(name) for name, _ in rows)
    print("| %-*s | %s |" % (width, "benchmark (median of %d runs unless said)" % a.runs, "result"))
    print("|%s|%s|" % ("-" * (width + 2), "-" * 30))
    for name, value in rows:
        print("| %-*s | %s |" % (width, name, value))
    if over:
        sys.exit("preparing the %d MiB job took more than %d MiB" % (a.strip_mb, a.max_strip_rss_mb))


if __name__ == "__main__":
    main()
