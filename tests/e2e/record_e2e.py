#!/usr/bin/env python3
"""Records a survey line with the real console as a crew would, and checks the files.

The program runs under Xvfb from a folder of its own (its Tidrun.INI maps COM1 to a
pseudo-terminal), on a fresh copy of the demo job. A GPS on the pseudo-terminal sends the
demo track; the keys are those a person presses: Return for the work folder and the
settings, F3 and Return for a line, a click on the map and Return for a cut, F5, then
ﾌｧｲﾙ → 終了 → Yes. Afterwards the recording file and Log/Line<n>.Log are read from disk and
compared with what was sent, converted by tidrun-tool.

  record_e2e.py BUILD_DIR [--mode auto|kill] [--shots DIR]

auto: interval 10 s, one cut by hand, automatic cuts after it, stop, exit.
kill: 全データ at 10 Hz, SIGKILL during the line, restart, check every cut on disk and
      that a new line continues the numbering.
Exit status 0 when every check passed, 77 when Xvfb or xdotool is missing.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import tty
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
FAILS = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        FAILS.append(what)


def cp932(text):
    return text.encode("cp932")


class Gps(threading.Thread):
    """Sends GGA/RMC pairs of the demo track on the pty master, one pair per period."""

    def __init__(self, master, period):
        super().__init__(daemon=True)
        self.master = master
        self.period = period
        raw = (ROOT / "examples/demo/track.nmea").read_bytes()
        self.packets = [p + b"\r" for p in raw.split(b"\r\n") if p.startswith(b"$")]
        self.sent = []  # GGA packets in the order sent
        self.sent_at = {}  # GGA packet -> when it was sent (seconds since the epoch)
        self.stop = threading.Event()
        self.lock = threading.Lock()

    def run(self):
        i = 0
        while not self.stop.is_set() and i < len(self.packets):
            chunk = b""
            while i < len(self.packets):
                p = self.packets[i]
                i += 1
                chunk += p + b"\n"
                if p.startswith(b"$GPGGA"):
                    with self.lock:
                        self.sent.append(p)
                        self.sent_at[p] = time.time()
                if p.startswith(b"$GPRMC"):
                    break
            try:
                os.write(self.master, chunk)
            except OSError:
                pass
            time.sleep(self.period)


class Console:
    def __init__(self, build, tmp, display, cut_method, interval):
        self.prog_dir = tmp / "prog"
        self.prog_dir.mkdir()
        shutil.copy(build / "app/tidrun", self.prog_dir / "tidrun")
        self.job = tmp / "job"
        shutil.copytree(ROOT / "examples/demo", self.job)
        cfg = (self.job / "Tidrun.CFG").read_bytes().decode("cp932")
        cfg = re.sub(r"収録方法=.*", "収録方法=" + cut_method, cfg)
        cfg = re.sub(r"間隔=.*", "間隔=%d" % interval, cfg)
        (self.job / "Tidrun.CFG").write_bytes(cp932(cfg))
        self.master, slave = os.openpty()
        tty.setraw(slave)
        self.slave = slave
        self.pty = os.ttyname(slave)
        ini = "[]\r\nWORKDIR=%s\r\n\r\n[Ports]\r\nCOM1=%s\r\n" % (self.job, self.pty)
        (self.prog_dir / "Tidrun.INI").write_bytes(cp932(ini))
        self.env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=str(tmp / "run"),
                        QT_QPA_PLATFORM="xcb")
        (tmp / "run").mkdir(exist_ok=True, mode=0o700)
        self.proc = None

    def start(self):
        self.proc = subprocess.Popen([str(self.prog_dir / "tidrun")], env=self.env,
                                     cwd=str(self.job), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def key(self, *keys, delay=0.6):
        subprocess.run(["xdotool", "key", "--delay", "80"] + list(keys), env=self.env)
        time.sleep(delay)

    def click(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=self.env)
        time.sleep(0.5)

    def title(self):
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Tidrun for GPS"], env=self.env,
                           capture_output=True, text=True)
        ids = r.stdout.split()
        if not ids:
            return ""
        r = subprocess.run(["xdotool", "getwindowname", ids[0]], env=self.env,
                           capture_output=True, text=True)
        return r.stdout.strip()

    def shot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], env=self.env)

    def line_with_cut(self, wait, cut_delay):
        """開始 (F3) with the preset name, then a cut by hand (Return) in the map window."""
        self.key("F3", delay=wait)
        self.key("Return", delay=wait)
        self.click(500, 450)
        self.key("Return", delay=cut_delay)

    def open_job(self):
        time.sleep(5)          # splash, then the folder chooser
        self.key("Return", delay=2)  # the preset work folder
        self.key("Return", delay=3)  # the settings as the job has them


def tool_positions(build, packets):
    """X, Y, h of each GGA packet as tidrun-tool converts it (zone 9, world datum)."""
    data = b"".join(p + b"\n" for p in packets)
    r = subprocess.run([str(build / "tools/tidrun-tool"), "nmea", "--zone", "9", "-"],
                       input=data, capture_output=True)
    rows = r.stdout.decode().splitlines()[1:]
    out = []
    for row in rows:
        f = row.split(",")
        out.append((float(f[15]), float(f[16]), float(f[17])))
    return out


LINE_RE = re.compile(
    r'^ *(\d+), +(\d+), "([^"]*)", +(\d+), +(-?\d+\.\d{3}), +(-?\d+\.\d{3}), '
    r'+(-?\d+\.\d{3}), +(-?\d+\.\d{3}), +(\d+), +(-?\d+\.\d{6}), +(-?\d+\.\d{6}), '
    r'+(-?\d+\.\d{3}), "(\d\d/\d\d/\d\d \d{1,2}:\d\d:\d\d)", +(-?\d+\.\d{3}), '
    r'+(-?\d+\.\d{3}), +(-?\d+\.\d{3}), +(-?\d+\.\d{3})$')


def gga_fields(p):
    f = p.decode().split(",")
    return {"time": f[1], "lat": float(f[2]), "lon": float(f[4]),
            "alt": float(f[9]) + float(f[11])}


def fix_date(hhmmss, at):
    """The date of a fix of this UTC time of day (world datum) handled at `at`: that of the
    UTC day which puts the fix nearest to `at`."""
    secs = int(hhmmss[:2]) * 3600 + int(hhmmss[2:4]) * 60 + int(hhmmss[4:6])
    t = int(at // 86400) * 86400 + secs
    if t - at > 43200:
        t -= 86400
    elif at - t > 43200:
        t += 86400
    return time.strftime("%y/%m/%d", time.gmtime(t))


def check_recording(build, lines, sent, sent_at, first_serial, line_no, name):
    """Each recorded line matches the GGA of its time exactly. Returns those GGAs."""
    by_time = {gga_fields(p)["time"][:6]: p for p in sent}
    cut_packets = []
    prev = None
    for n, text in enumerate(lines):
        m = LINE_RE.match(text)
        check(m is not None, "line %d has the 17-field layout: %r" % (n + 1, text))
        if not m:
            continue
        hhmmss = m.group(13).split(" ")[1].split(":")
        key = "%02d%02d%02d" % tuple(int(v) for v in hhmmss)
        p = by_time.get(key)
        check(p is not None, "line %d belongs to a sentence that was sent (%s)" % (n + 1, key))
        if p is None:
            continue
        cut_packets.append(p)
        g = gga_fields(p)
        x, y, h = tool_positions(build, [p])[0]
        dist = 0.0 if prev is None else ((x - prev[0]) ** 2 + (y - prev[1]) ** 2) ** 0.5
        day = fix_date(key, sent_at[p])
        want = ('%5d, %4d, "%s", %4d, %11.3f, %11.3f, %8.3f, %8.3f, %4d, %12.6f, %12.6f, %8.3f, '
                '"%s %d:%s:%s", %11.3f, %11.3f, %8.3f, %8.3f') % (
                    first_serial + n, line_no, name, n + 1, x, y, h, dist,
                    int(m.group(9)), g["lat"], g["lon"], g["alt"], day, int(key[:2]),
                    key[2:4], key[4:6], 0, 0, 0, 0)
        # The tool prints four decimals: the last of three may round the other way.
        close = all(abs(float(a) - float(b)) <= 0.0011 for a, b in
                    zip(re.findall(r"-?\d+\.\d+", text), re.findall(r"-?\d+\.\d+", want)))
        same_layout = re.sub(r"\d", "9", text) == re.sub(r"\d", "9", want) or close
        check(text == want or (close and same_layout),
              "line %d as converted independently:\n     got  %r\n     want %r" % (n + 1, text, want))
        prev = (x, y)
    return cut_packets


def run_auto(build, tmp, display, shots):
    c = Console(build, tmp, display, "自動", 10)
    gps = Gps(c.master, 1.0)
    c.start()
    gps.start()
    c.open_job()
    title0 = c.title()
    c.key("F3", delay=1.5)                     # 開始: the line-name dialog
    c.key("Return", delay=1.5)                 # the preset name "1"
    check("計測中" in c.title(), "title while recording: %r" % c.title())
    c.click(500, 450)                          # the map window
    c.key("Return", delay=0)                   # a cut by hand, at the next position
    time.sleep(10.0)                           # two lamps lit before the first automatic cut
    if shots:
        c.shot(shots / "recording.png")
    time.sleep(15.5)                           # two automatic cuts follow (> 10 s each)
    c.key("F5", delay=2)                       # 終了 of the line
    check("計測中" not in c.title(), "title after the stop: %r" % c.title())
    c.key("alt+f", delay=0.8)
    c.key("x", delay=1.5)                      # ﾌｧｲﾙ → 終了
    c.key("Return", delay=3)                   # "終了しますか" → Yes
    ended = c.proc.poll() is not None
    if not ended:
        c.proc.kill()
    gps.stop.set()
    check(ended, "the program ended through ﾌｧｲﾙ → 終了 → Yes")
    rec = (c.job / "SOKUSEN.DAT").read_bytes()
    check(rec.endswith(b"\r\n") or rec == b"", "the recording file ends with CR LF")
    lines = rec.decode("cp932").split("\r\n")[:-1]
    check(len(lines) >= 3, "a hand cut and at least two automatic cuts: %d lines" % len(lines))
    log = (c.job / "Log/Line1.Log").read_bytes() if (c.job / "Log/Line1.Log").exists() else b""
    with gps.lock:
        sent = list(gps.sent)
        sent_at = dict(gps.sent_at)
    cut_packets = check_recording(build, lines, sent, sent_at, 1, 1, "1")
    check(log == b"".join(cut_packets),
          "Line1.Log holds exactly the %d sentences of the cuts" % len(cut_packets))
    if len(lines) >= 3:
        secs = [int(LINE_RE.match(t).group(9)) for t in lines if LINE_RE.match(t)]
        check(all(10 <= s <= 13 for s in secs[1:]),
              "automatic cuts after more than 10 s: %s" % secs)
    print("title at open:", title0)


def run_kill(build, tmp, display, shots):
    c = Console(build, tmp, display, "全データ", 10)
    gps = Gps(c.master, 0.1)
    c.start()
    gps.start()
    c.open_job()
    c.line_with_cut(1.5, 0.2)
    time.sleep(6)
    c.proc.send_signal(signal.SIGKILL)
    c.proc.wait()
    gps.stop.set()
    time.sleep(0.3)
    with gps.lock:
        sent = list(gps.sent)
        sent_at = dict(gps.sent_at)
    rec = (c.job / "SOKUSEN.DAT").read_bytes()
    lines = rec.split(b"\r\n")
    complete = [ln.decode("cp932") for ln in lines[:-1]]
    torn = lines[-1]
    check(len(complete) >= 20, "cuts on disk after the kill: %d" % len(complete))
    check(all(LINE_RE.match(t) for t in complete), "no line torn in the middle of the file")
    log = (c.job / "Log/Line1.Log").read_bytes()
    cut_packets = check_recording(build, complete, sent, sent_at, 1, 1, "1")
    # The sentence of the cut being stored when the program died may miss from the log.
    whole = b"".join(cut_packets)
    check(log == whole or log == b"".join(cut_packets[:-1]),
          "Line1.Log holds the sentences of the %d cuts on disk" % len(cut_packets))
    # 全データ: every position after the first cut, none skipped.
    idx = [sent.index(p) for p in cut_packets if p in sent]
    check(idx == list(range(idx[0], idx[0] + len(idx))) if idx else False,
          "every position after the first cut was recorded")
    print("torn tail bytes:", len(torn))
    # A restart continues the numbering on a line of its own.
    gps2 = Gps(c.master, 0.1)
    c.start()
    gps2.start()
    c.open_job()
    c.line_with_cut(1.0, 1.5)
    c.key("F5", delay=1.0)
    c.key("alt+f", delay=0.8)
    c.key("x", delay=1.5)
    c.key("Return", delay=3)
    if c.proc.poll() is None:
        c.proc.kill()
    gps2.stop.set()
    after = (c.job / "SOKUSEN.DAT").read_bytes().decode("cp932", "replace").split("\r\n")
    new = [t for t in after if LINE_RE.match(t) and int(LINE_RE.match(t).group(2)) == 2]
    check(len(new) >= 1, "the next line is numbered 2")
    if new:
        serial = int(LINE_RE.match(new[0]).group(1))
        check(serial == len(complete) + 1, "serials continue: %d after %d" % (serial, len(complete)))


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = Path(sys.argv[1]).resolve()
    mode = sys.argv[sys.argv.index("--mode") + 1] if "--mode" in sys.argv else "auto"
    shots = Path(sys.argv[sys.argv.index("--shots") + 1]).resolve() if "--shots" in sys.argv else None
    if shots:
        shots.mkdir(parents=True, exist_ok=True)
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("Xvfb or xdotool missing: skipped")
        return 77
    tmp = Path(tempfile.mkdtemp(prefix="tidrun-e2e."))
    # A display no other X server holds.
    number = next(n for n in range(90 + os.getpid() % 50, 400)
                  if not os.path.exists("/tmp/.X%d-lock" % n))
    display = ":%d" % number
    # -noreset: the server keeps its state when its last client (xdotool) leaves.
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                             "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Ready when a client is served.
    deadline = time.monotonic() + 20
    while subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        if time.monotonic() > deadline or xvfb.poll() is not None:
            print("the X server %s did not start" % display)
            xvfb.kill()
            return 1
        time.sleep(0.1)
    try:
        (run_kill if mode == "kill" else run_auto)(build, tmp, display, shots)
    finally:
        xvfb.terminate()
        xvfb.wait()
    print("work folder:", tmp)
    print("FAILED: %d" % len(FAILS) if FAILS else "all checks passed")
    return 1 if FAILS else 0


if __name__ == "__main__":
    sys.exit(main())
