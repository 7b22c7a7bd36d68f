#!/usr/bin/env python3
"""The console's CPU while it records in 全データ at 10 Hz with four map windows open.

The real program runs under Xvfb (1024x768) on a copy of a job; a GPS on a pseudo-terminal
sends GGA/RMC pairs ten times a second along a line through the middle of the job's
recording. After the job opens, three more map windows (F2), tiled (ｳｨﾝﾄﾞｳ → ならべて表示), and a line (F3, the first cut by
hand) start; after a settling time, the program's user and system CPU over the measured
seconds is printed as a share of one core, with the cuts it stored meanwhile and the share
in the first and the last tenth of the time (a cost that grows with the line shows there).

  recording_cpu.py BUILD JOB [--seconds 60] [--settle 10] [--prefix P] [--shot PNG]

Prints:  BENCH <prefix>recording_cpu_pct <pct> % cuts <n> positions <sent> first_tenth <pct>
         last_tenth <pct>
"""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests/e2e"))
from crewday import Console  # noqa: E402
from xsession import XServer, missing_tools, wait_for  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")


def nmea(body):
    sum_ = 0
    for ch in body.encode():
        sum_ ^= ch
    return ("$%s*%02X\r\n" % (body, sum_)).encode()


def lat_lon(zone, y, x):
    """Latitude and longitude of a plane point (JGD2011 zone `zone`), through GDAL."""
    out = subprocess.run(["gdaltransform", "-s_srs", "EPSG:%d" % (6668 + zone),
                          "-t_srs", "EPSG:6668"], input="%f %f\n" % (y, x),
                         capture_output=True, text=True, check=True).stdout.split()
    return float(out[1]), float(out[0])


def dm(value, width):
    d = int(abs(value))
    return "%0*d%07.4f" % (width, d, (abs(value) - d) * 60)


class Track(threading.Thread):
    """GGA+RMC at 10 Hz, 0.5 m a fix, heading north-east, from (lat, lon)."""

    def __init__(self, master, lat, lon):
        super().__init__(daemon=True)
        self.master, self.lat, self.lon = master, lat, lon
        self.stop = threading.Event()
        self.sent = 0  # positions sent

    def run(self):
        t0 = time.time()
        n = 0
        while not self.stop.is_set():
            s = 0.5 * n / math.sqrt(2)
            lat = self.lat + s / 111320.0
            lon = self.lon + s / (111320.0 * math.cos(math.radians(self.lat)))
            t = time.gmtime(t0 + n * 0.1)
            hms = "%02d%02d%02d.%02d" % (t.tm_hour, t.tm_min, t.tm_sec, (n % 10) * 10)
            la, lo = dm(lat, 2), dm(lon, 3)
            gga = nmea("GPGGA,%s,%s,N,%s,E,4,12,0.8,3.2,M,36.7,M,1.0,0001" % (hms, la, lo))
            rmc = nmea("GPRMC,%s,A,%s,N,%s,E,9.7,45.0,%s,,,D" % (
                hms, la, lo, time.strftime("%d%m%y", t)))
            try:
                os.write(self.master, gga + rmc)
            except OSError:
                pass
            n += 1
            self.sent = n
            time.sleep(max(0.0, t0 + n * 0.1 - time.time()))


def cpu_seconds(pid):
    fields = Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def copy_job(src, dst):
    """The job's files into dst with the settings naming them there, in 全データ."""
    shutil.rmtree(dst)
    dst.mkdir()
    for p in src.iterdir():
        if p.is_file():
            shutil.copy(p, dst / p.name)
    cfg = (dst / "Tidrun.CFG").read_bytes().decode("cp932")
    for key in ("基準", "調査", "設標", "収録", "マーク"):
        cfg = re.sub(r"(?m)^%s=.*[\\/](.*)$" % key, r"%s=\1" % key, cfg)
    cfg = re.sub(r"収録方法=.*", "収録方法=全データ", cfg)
    (dst / "Tidrun.CFG").write_bytes(cfg.encode("cp932"))
    zone = int(re.search(r"平面座標=(\d+)系", cfg).group(1))
    name = re.search(r"工事名=(.*)", cfg).group(1).strip()
    return zone, name


def middle_of_job(job):
    """X, Y of a cut in the middle of the recording file (read from its middle), or of the
    first survey-area vertex when nothing is recorded yet."""
    path = job / "SOKUSEN.DAT"
    if path.exists() and path.stat().st_size > 1000:
        with open(path, "rb") as f:
            f.seek(path.stat().st_size // 2)
            f.readline()
            fields = f.readline().decode("cp932").split(",")
        return float(fields[4]), float(fields[5])
    first = (job / "CHOSA.DAT").read_bytes().decode("cp932").split()
    return float(first[1]), float(first[2])


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    build, src = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    args = sys.argv[3:]
    seconds = float(args[args.index("--seconds") + 1]) if "--seconds" in args else 60.0
    settle = float(args[args.index("--settle") + 1]) if "--settle" in args else 10.0
    prefix = args[args.index("--prefix") + 1] if "--prefix" in args else ""
    shot = args[args.index("--shot") + 1] if "--shot" in args else None
    if missing_tools("gdaltransform"):
        print("recording_cpu: missing", " ".join(missing_tools("gdaltransform")), file=sys.stderr)
        return 77
    tmp = Path(tempfile.mkdtemp(prefix="tidrun-cpu."))
    x = XServer("1024x768")
    c = None
    try:
        c = Console(build, tmp, x)
        zone, name = copy_job(src, c.job)
        cx, cy = middle_of_job(c.job)
        lat, lon = lat_lon(zone, cy, cx)
        gps = Track(c.gps_master, lat, lon)
        c.start()
        x.key(x.wait_window("作業フォルダの選択", 60), "Return")
        x.key(x.wait_window("^初期設定$", 60), "Return")
        c.main = x.wait_window(re.escape(name), 120)
        if not c.main:
            print("recording_cpu: the job did not open", file=sys.stderr)
            return 1
        # Positions only from now: a track sent while the job opens would arrive as a burst.
        gps.start()
        for _ in range(3):
            c.keys("F2")
            time.sleep(1.0)
        c.keys("alt+w", "t")  # ならべて表示: all four in sight, each painting
        time.sleep(1.0)
        c.keys("F3")
        x.key(x.wait_window("^収録開始$", 30), "Return")
        if not wait_for(lambda: "計測中" in c.title(), 10):
            print("recording_cpu: the line did not start", file=sys.stderr)
            return 1
        c.keys("Return")  # 全データ: the first cut by hand, then every position
        time.sleep(settle)
        pid = c.proc.pid
        # Cuts counted from the bytes appended: reading a season's file would hold the
        # interpreter (and the GPS thread) for half a minute.
        recording = c.job / "SOKUSEN.DAT"
        size0, sent0 = recording.stat().st_size, gps.sent
        began, cpu0 = time.monotonic(), cpu_seconds(pid)
        tenth = seconds / 10
        shares = []
        for _ in range(10):
            t, u = time.monotonic(), cpu_seconds(pid)
            time.sleep(tenth)
            shares.append(100 * (cpu_seconds(pid) - u) / (time.monotonic() - t))
        pct = 100 * (cpu_seconds(pid) - cpu0) / (time.monotonic() - began)
        with open(recording, "rb") as f:
            f.seek(size0)
            cuts = f.read().count(b"\r\n")
        sent = gps.sent - sent0
        print("BENCH %srecording_cpu_pct %.1f %% cuts %d positions %d first_tenth %.1f "
              "last_tenth %.1f" % (prefix, pct, cuts, sent, shares[0], shares[-1]), flush=True)
        if shot:  # the screen as it was while measured
            subprocess.run(["import", "-window", "root", shot], env=x.env(), check=False)
        c.keys("F5")
        gps.stop.set()
        return 0
    finally:
        if c and c.proc and c.proc.poll() is None:
            c.proc.kill()
            c.proc.wait()
        x.close()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
