#!/usr/bin/env python3
"""A survey crew's whole day with the real console, driven only by keys and clicks.

The program runs under Xvfb (1024x768) from a folder of its own; its Tidrun.INI maps COM1
to a pseudo-terminal on which a GPS sends the demo track once a second, and COM2 to a
second pseudo-terminal, the sounder. On a fresh copy of the demo job the crew opens the
job, calibrates at reference point 基準1, records a line by time (自動, 10 s), changes the
settings to cuts by hand and forwarding of the received data, records a line by hand,
chooses buoy point 設標01 and moves the planned line onto it, adds a mark on the map and
deletes it again, prints the map to a PDF file and closes. Every file on disk is then
checked against what was sent (converted independently by tidrun-tool); the console is
started again, opened and closed, and every file is back as it was.

  crewday.py BUILD_DIR [--scenario day|powercut] [--shots DIR]

powercut: 全データ at 10 Hz with the sounder's depth at 7 Hz on the transfer cable, SIGKILL
          in the middle of the line, restart: every cut on disk is whole, the depth file and
          the recording file agree serial for serial, a torn last depth row is repaired, and
          the next line continues the numbering in both.
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

sys.path.insert(0, str(Path(__file__).resolve().parent))
from xsession import XServer, missing_tools, wait_for  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
FAILS = []
MAP = (300, 250)  # an empty spot of the maximised map window at 1024x768
TEAL, LIME, RED = (0, 128, 128), (0, 255, 0), (255, 0, 0)


BEGAN = time.monotonic()


def check(cond, what):
    print("%s %5.1f s  %s" % ("ok  " if cond else "FAIL", time.monotonic() - BEGAN, what),
          flush=True)
    if not cond:
        FAILS.append(what)
    return cond


class Gps(threading.Thread):
    """Sends the demo track's GGA/RMC pairs on the pty master, one pair per period."""

    def __init__(self, master, period):
        super().__init__(daemon=True)
        self.master, self.period = master, period
        raw = (ROOT / "examples/demo/track.nmea").read_bytes()
        self.packets = [p + b"\r" for p in raw.split(b"\r\n") if p.startswith(b"$")]
        self.sent = []     # every sentence, in the order sent
        self.sent_at = {}  # GGA sentence -> when it was sent (seconds since the epoch)
        self.stop = threading.Event()
        self.lock = threading.Lock()

    def run(self):
        i = 0
        while not self.stop.is_set() and i < len(self.packets):
            chunk, pair = b"", []
            while i < len(self.packets):
                p = self.packets[i]
                i += 1
                chunk += p + b"\n"
                pair.append(p)
                if p.startswith(b"$GPRMC"):
                    break
            with self.lock:
                for p in pair:
                    self.sent.append(p)
                    if p.startswith(b"$GPGGA"):
                        self.sent_at[p] = time.time()
            try:
                os.write(self.master, chunk)
            except OSError:
                pass
            time.sleep(self.period)

    def snapshot(self):
        with self.lock:
            return list(self.sent), dict(self.sent_at)


class Sounder(threading.Thread):
    """The second device: keeps every byte the console forwards to it."""

    def __init__(self, master):
        super().__init__(daemon=True)
        self.master, self.data, self.lock = master, b"", threading.Lock()

    def run(self):
        while True:
            try:
                got = os.read(self.master, 4096)
            except OSError:
                return
            if not got:
                return
            with self.lock:
                self.data += got

    def received(self):
        with self.lock:
            return self.data


class DepthSounder(threading.Thread):
    """An echo sounder sending DBT on the pty master, its depth a centimetre deeper each time."""

    def __init__(self, master, period):
        super().__init__(daemon=True)
        self.master, self.period = master, period
        self.sent = set()  # the depths sent, "%.2f"
        self.stop = threading.Event()
        self.lock = threading.Lock()

    def run(self):
        k = 0
        while not self.stop.is_set():
            metres = "%.2f" % (5 + 0.01 * k)
            body = b"SDDBT,,f,%s,M,,F" % metres.encode()
            checksum = 0
            for b in body:
                checksum ^= b
            with self.lock:
                self.sent.add(metres)
            try:
                os.write(self.master, b"$%s*%02X\r\n" % (body, checksum))
            except OSError:
                pass  # no one reads the cable while the program is down
            k += 1
            time.sleep(self.period)

    def depths(self):
        with self.lock:
            return set(self.sent)


def depth_rows(job):
    """The depth file's rows as field lists, and its bytes after the last line end."""
    path = job / "SOKUSEN_水深.csv"
    parts = path.read_bytes().split(b"\r\n") if path.exists() else [b""]
    return [r.decode("cp932").split(",") for r in parts[1:-1]], parts[-1]


def raw_pty():
    master, slave = os.openpty()
    tty.setraw(slave)
    tty.setraw(master)
    return master, slave


class Console:
    """The program in a folder of its own, the demo job in a fresh work folder."""

    def __init__(self, build, tmp, x):
        self.build, self.x = build, x
        self.prog = tmp / "prog"
        self.prog.mkdir()
        shutil.copy(build / "app/tidrun", self.prog / "tidrun")
        self.home = tmp / "home"
        self.job = self.home / "job"
        shutil.copytree(ROOT / "examples/demo", self.job)
        self.gps_master, gps_slave = raw_pty()
        self.out_master, out_slave = raw_pty()
        self.slaves = (gps_slave, out_slave)
        ini = "[]\r\nWORKDIR=%s\r\n\r\n[Ports]\r\nCOM1=%s\r\nCOM2=%s\r\n" % (
            self.job, os.ttyname(gps_slave), os.ttyname(out_slave))
        (self.prog / "Tidrun.INI").write_bytes(ini.encode("cp932"))
        run = tmp / "run"
        run.mkdir(mode=0o700)
        # HOME: the print dialog offers <current folder>/print.pdf below it.
        self.env = x.env(XDG_RUNTIME_DIR=str(run), HOME=str(self.home),
                         LSAN_OPTIONS="suppressions=%s" % (ROOT / "tests/lsan.supp"))
        self.proc = None
        self.main = None

    def start(self):
        self.proc = subprocess.Popen([str(self.prog / "tidrun")], env=self.env, cwd=str(self.job),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def open_job(self, on_settings=None):
        """The preset work folder (Return), the settings (Return, or on_settings(dialog))."""
        x = self.x
        w = x.wait_window("作業フォルダの選択")
        if not check(w is not None, "the folder chooser comes"):
            return False
        x.key(w, "Return")
        w = x.wait_window("^初期設定$")
        if not check(w is not None, "the settings come"):
            return False
        if on_settings:
            on_settings(w)
        else:
            x.key(w, "Return")
        self.main = x.wait_window("東京湾")
        return check(self.main is not None, "the job is open: %s" % self.title())

    def title(self):
        return self.x.title(self.main) if self.main else ""

    def keys(self, *keys):
        """Keys for the main window. Without a window manager the focus does not come back
        to it after a dialog: a click on an empty spot of the map gives it back."""
        self.x.click(*MAP)
        self.x.key(self.main, *keys)

    def dialog(self, title):
        w = self.x.wait_window(title)
        check(w is not None, "the window %s comes" % title)
        return w

    def click_in(self, wid, dx, dy, button=1):
        """A click at an offset from a window's top left corner."""
        gx, gy, _, _ = self.x.geometry(wid)
        self.x.click(gx + dx, gy + dy, button)

    def exit(self):
        """ﾌｧｲﾙ → 終了 → Yes; the exit status of the program."""
        before = self.x.windows("^Tidrun for GPS$")
        self.keys("alt+f", "x")
        box = self.x.wait_window("^Tidrun for GPS$", besides=before)
        check(box is not None, "終了しますか is asked")
        if box:
            self.x.key(box, "Return")
        try:
            return self.proc.wait(30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return self.proc.wait()


def read_ppm(ppm):
    """A binary PPM as (width, height, RGB bytes); None if it is none."""
    m = re.match(rb"P6\s+(?:#[^\n]*\n\s*)*(\d+)\s+(\d+)\s+(\d+)\s", ppm)
    return (int(m.group(1)), int(m.group(2)), ppm[m.end():]) if m else None


def grab(x):
    """The screen as (width, height, RGB bytes)."""
    return read_ppm(subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                                   env=x.env(), capture_output=True).stdout)


def pixel(img, px, py):
    w, _, data = img
    i = 3 * (py * w + px)
    return tuple(data[i:i + 3])


def changed(before, after, old, new):
    """Centre of the pixels that turned from colour old to colour new."""
    w, h, _ = before
    xs, ys = [], []
    for py in range(0, h, 2):  # every symbol is more than two pixels wide
        for px in range(0, w, 2):
            if pixel(after, px, py) == new and pixel(before, px, py) == old:
                xs.append(px)
                ys.append(py)
    if not xs:
        return None
    return sum(xs) // len(xs), sum(ys) // len(ys)


def tool_positions(build, packets):
    """X, Y, h of each GGA packet as tidrun-tool converts it (zone 9, world datum)."""
    data = b"".join(p + b"\n" for p in packets)
    r = subprocess.run([str(build / "tools/tidrun-tool"), "nmea", "--zone", "9", "-"],
                       input=data, capture_output=True)
    return [tuple(float(f) for f in row.split(",")[15:18])
            for row in r.stdout.decode().splitlines()[1:]]


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
    """The date of a fix of this UTC time of day handled at `at`: that of the UTC day which
    puts the fix nearest to `at`."""
    secs = int(hhmmss[:2]) * 3600 + int(hhmmss[2:4]) * 60 + int(hhmmss[4:6])
    t = int(at // 86400) * 86400 + secs
    if t - at > 43200:
        t -= 86400
    elif at - t > 43200:
        t += 86400
    return time.strftime("%y/%m/%d", time.gmtime(t))


def check_line(build, lines, sent, sent_at, first_serial, line_no, name, offsets=(0, 0, 0, 0)):
    """Each recorded cut matches the GGA of its time exactly, with the calibration offsets
    applied and written. Returns those GGAs."""
    by_time = {gga_fields(p)["time"][:6]: p for p in sent if p.startswith(b"$GPGGA")}
    ox, oy, oh, oa = offsets
    cut_packets, prev = [], None
    for n, text in enumerate(lines):
        m = LINE_RE.match(text)
        if not check(m is not None, "cut %d of line %d has the 17-field layout: %r"
                     % (n + 1, line_no, text)):
            continue
        key = "%02d%02d%02d" % tuple(int(v) for v in m.group(13).split(" ")[1].split(":"))
        p = by_time.get(key)
        if not check(p is not None, "cut %d belongs to a sentence that was sent (%s)" % (n + 1, key)):
            continue
        cut_packets.append(p)
        g = gga_fields(p)
        x, y, h = tool_positions(build, [p])[0]
        x, y, h = x + ox, y + oy, h + oh - oa
        dist = 0.0 if prev is None else ((x - prev[0]) ** 2 + (y - prev[1]) ** 2) ** 0.5
        want = ('%5d, %4d, "%s", %4d, %11.3f, %11.3f, %8.3f, %8.3f, %4d, %12.6f, %12.6f, %8.3f, '
                '"%s %d:%s:%s", %11.3f, %11.3f, %8.3f, %8.3f') % (
                    first_serial + n, line_no, name, n + 1, x, y, h, dist, int(m.group(9)),
                    g["lat"], g["lon"], g["alt"], fix_date(key, sent_at[p]), int(key[:2]),
                    key[2:4], key[4:6], ox, oy, oh, oa)
        # The tool prints four decimals: the last of three may round the other way.
        close = all(abs(float(a) - float(b)) <= 0.0011 for a, b in
                    zip(re.findall(r"-?\d+\.\d+", text), re.findall(r"-?\d+\.\d+", want)))
        same = re.sub(r"[\d.-]+", "9", text) == re.sub(r"[\d.-]+", "9", want)
        check(text == want or (close and same),
              "cut %d of line %d as converted independently:\n     got  %r\n     want %r"
              % (n + 1, line_no, text, want))
        prev = (x, y)
    return cut_packets


def recorded(job):
    path = job / "SOKUSEN.DAT"
    return path.read_bytes().decode("cp932").split("\r\n")[:-1] if path.exists() else []


def cfg_values(job, section="設定"):
    """The keys of one section of Tidrun.CFG."""
    values, inside = {}, False
    for line in (job / "Tidrun.CFG").read_bytes().decode("cp932").split("\r\n"):
        if line.startswith("["):
            inside = line == "[%s]" % section
        elif inside and "=" in line:
            k, v = line.split("=", 1)
            values[k] = v
    return values


def files_of(*folders):
    """Every file below the folders, by path, with its bytes."""
    return {p: p.read_bytes() for f in folders for p in sorted(Path(f).rglob("*")) if p.is_file()}


def calibrate(c, gps):
    """補正 at 基準1 for 5 seconds, every position; OK takes the offsets."""
    c.keys("alt+o", "c")
    w = c.dialog("^補正$")
    if not w:
        return None
    c.x.key(w, "Down")                # 基準点: 基準1, the first
    c.click_in(w, 205, 215)           # 測定時間, the seconds
    c.x.key(w, "ctrl+a")
    c.x.type(w, "5")
    c.click_in(w, 50, 284)            # 自動補正
    logs = lambda: sorted((c.job / "Calib").glob("Calib*.Log"))
    # Done when the log holds its samples and grows no more.
    sizes = []

    def settled():
        size = logs()[0].stat().st_size if logs() else 0
        sizes.append(size)
        return size > 0 and len(sizes) > 25 and sizes[-25] == size

    check(wait_for(settled, 30) is not None, "the calibration log fills and ends")
    c.click_in(w, 325, 284)           # OK
    check(c.x.wait_gone(w), "the calibration dialog closes with OK")
    return logs()[0] if logs() else None


def calib_offsets(build, log, ref):
    """The offsets the calibration log gives: reference point minus the average of the
    samples, each sample checked against the sentence beside it."""
    # Each sample: the three values, then its sentence with the sentence's own CR.
    rows = [r.strip("\n") for r in log.read_bytes().decode("cp932").split("\r") if r.strip()]
    vals = []
    for r in rows:
        m = re.match(r"^( *-?\d+\.\d{3}), ( *-?\d+\.\d{3}), ( *-?\d+\.\d{3}), (\$GPGGA.*)$", r)
        if not check(m is not None, "calibration sample: %r" % r):
            continue
        v = tuple(float(m.group(i)) for i in (1, 2, 3))
        t = tool_positions(build, [m.group(4).encode() + b"\r"])[0]
        check(all(abs(a - b) <= 0.0011 for a, b in zip(v, t)),
              "the sample is its sentence converted: %s %s" % (v, t))
        vals.append(v)
    if not check(len(vals) >= 3, "calibration samples: %d" % len(vals)):
        return None
    mean = [sum(v[i] for v in vals) / len(vals) for i in range(3)]
    return tuple(ref[i] - mean[i] for i in range(3))


def begin_line(c, gps):
    """The GPS sending, the job opened, 開始 (F3) with the preset name and the first cut by
    hand (Return in the map window). False when the job did not open."""
    c.start()
    if not gps.is_alive():
        gps.start()
    if not c.open_job():
        return False
    c.keys("F3")
    c.x.key(c.dialog("^収録開始$"), "Return")
    check(wait_for(lambda: "計測中" in c.title(), 10) is not None, "the title says 計測中")
    c.keys("Return")
    return True


def record_line(c, cuts_by_hand, until):
    """開始 (F3) with the preset name, cuts by hand (Return in the map window), then waits
    until `until(lines)` holds, and 終了 (F5)."""
    before = len(recorded(c.job))
    c.keys("F3")
    w = c.dialog("^収録開始$")
    c.x.key(w, "Return")
    check(wait_for(lambda: "計測中" in c.title(), 10) is not None,
          "the title says 計測中: %s" % c.title())
    for n in range(cuts_by_hand):
        c.keys("Return")
        check(wait_for(lambda: len(recorded(c.job)) >= before + n + 1, 15) is not None,
              "cut %d by hand is on disk" % (n + 1))
    check(wait_for(lambda: until(recorded(c.job)[before:]), 40) is not None,
          "the line has its cuts")
    c.keys("F5")
    check(wait_for(lambda: "計測中" not in c.title(), 10) is not None,
          "the title after 終了: %s" % c.title())
    return recorded(c.job)[before:]


def settings_by_hand_with_forwarding(c, w):
    """初期設定, page 受信ﾃﾞｰﾀ: 収録方法 手動, 転送 受信データ; OK."""
    c.click_in(w, 191, 52)   # the page 受信ﾃﾞｰﾀ
    c.click_in(w, 41, 231)   # 手動
    c.click_in(w, 41, 361)   # 転送: 受信データ
    c.click_in(w, 499, 447)  # OK


def run_day(build, tmp, x, shots):
    c = Console(build, tmp, x)
    original = files_of(c.job)
    ini_path = c.prog / "Tidrun.INI"
    gps = Gps(c.gps_master, 1.0)
    sounder = Sounder(c.out_master)
    sounder.start()
    c.start()
    gps.start()
    if not c.open_job():
        return
    # The caption, with the state in front once data flows (a slow build reads it later).
    check(re.match(r"^(?:[^—]+ — )?Tidrun for GPS　東京湾 深浅測量（デモ）（世界測地系）", c.title()),
          "the demo job's title")
    check(wait_for(lambda: len(gps.snapshot()[0]) >= 6, 20) is not None, "the GPS sends")

    # Calibration at 基準1.
    log = calibrate(c, gps)
    ref = (-67895.365, 3158.766, 2.839)
    offsets = calib_offsets(build, log, ref) if check(log is not None, "a calibration log") else None

    # A line by time: the first cut by hand, two automatic ones after more than 10 s each.
    line1 = record_line(c, 1, lambda ls: len(ls) >= 3)
    if shots:
        x.shot(shots / "line-by-time.png")

    # Close, and open again with cuts by hand and the received data forwarded.
    c.keys("alt+f", "c")
    check(wait_for(lambda: c.title() == "Tidrun Zzz — Tidrun for GPS", 15) is not None,
          "閉じる: %s" % c.title())
    closed_at = len(gps.snapshot()[0])  # nothing forwarded before this
    closed_cfg = cfg_values(c.job)
    stored = tuple(float(closed_cfg.get(k, "nan")) for k in ("補正X", "補正Y", "補正H"))
    if offsets:
        check(all(abs(a - b) <= 0.0015 for a, b in zip(stored, offsets)),
              "the offsets stored are the reference point minus the average: %s %s"
              % (stored, offsets))
    check(closed_cfg.get("補正A") == "0", "補正A stays 0")
    offsets4 = stored + (0.0,)
    c.keys("alt+f", "o")
    if not c.open_job(lambda w: settings_by_hand_with_forwarding(c, w)):
        return

    # A line by hand: two cuts.
    line2 = record_line(c, 2, lambda ls: len(ls) >= 2)

    # 設標01 chosen: it turns red on the map; the planned line is moved onto it.
    before = grab(x)
    c.x.click(894, 134)  # the buoy-point chooser of the 設標 window
    c.x.key(None, "Down", "Return")
    x.click(*MAP)
    time.sleep(1)  # the repaint of the highlight
    after = grab(x)
    buoy = changed(before, after, LIME, RED) if before and after else None
    if check(buoy is not None, "設標01 turns red on the map"):
        x.click(buoy[0], buoy[1], 3)
        x.key(None, "Down", "Down", "Down", "Return")  # 計画線の移動
        # A mark on an empty spot beside it, then deleted again.
        spot = (buoy[0] + 40, buoy[1] - 60)
        check(pixel(after, *spot) == TEAL, "the spot for the mark is empty map")
        marks = (c.job / "MARK.DAT").read_bytes()
        x.click(spot[0], spot[1], 3)
        x.key(None, "Down", "Return")  # この位置をマーク
        w = c.dialog("この位置をマーク")
        if w:
            x.type(w, "CREW")
            x.key(w, "Return")
        check(wait_for(lambda: b"CREW" in (c.job / "MARK.DAT").read_bytes(), 10) is not None,
              "the new mark is in MARK.DAT")
        if shots:
            x.shot(shots / "mark-and-buoy.png")
        x.click(spot[0], spot[1], 3)
        x.key(None, "Down", "Down", "Down", "Down", "Return")  # マークの削除
        check(wait_for(lambda: (c.job / "MARK.DAT").read_bytes() == marks, 10) is not None,
              "after the delete MARK.DAT is as it was, byte for byte")

    # The map printed to a PDF file (the print dialog's file printer).
    c.keys("alt+m", "p")
    w = c.dialog("^印刷$")
    if w:
        x.key(w, "Return")
    pdf = c.job / "print.pdf"
    check(wait_for(lambda: pdf.exists() and pdf.read_bytes().rstrip().endswith(b"%%EOF"), 20)
          is not None, "the map printed to %s" % pdf)
    check_pdf(pdf, tmp)

    sent, sent_at = gps.snapshot()
    status = c.exit()
    check(status == 0, "the program ended through ﾌｧｲﾙ → 終了 → Yes (%s)" % status)

    # Every file on disk.
    got = recorded(c.job)
    check(got == line1 + line2, "SOKUSEN.DAT holds the two lines and nothing else")
    cuts1 = check_line(build, line1, sent, sent_at, 1, 1, "1", offsets4)
    cuts2 = check_line(build, line2, sent, sent_at, len(line1) + 1, 2, "2", offsets4)
    secs = [int(LINE_RE.match(t).group(9)) for t in line1 if LINE_RE.match(t)]
    check(len(secs) >= 3 and all(10 <= s <= 13 for s in secs[1:]),
          "line 1: automatic cuts after more than 10 s: %s" % secs)
    for n, cuts in ((1, cuts1), (2, cuts2)):
        path = c.job / ("Log/Line%d.Log" % n)
        check(path.exists() and path.read_bytes() == b"".join(cuts),
              "Log/Line%d.Log holds exactly the sentences of its %d cuts" % (n, len(cuts)))
    forwarded = sounder.received()
    (tmp / "forwarded.bin").write_bytes(forwarded)
    # Each sentence as the receiver framed it, from "$" through its CR.
    parts = [p.lstrip(b"\n") + b"\r" for p in forwarded.split(b"\r") if p.lstrip(b"\n")]
    all_sent = gps.snapshot()[0]  # also what came in while the program ended
    start = all_sent.index(parts[0]) if parts and parts[0] in all_sent else -1
    check(len(parts) >= 6 and start >= closed_at and
          all_sent[start:start + len(parts)] == parts,
          "the sounder got the received sentences unchanged and in order: %d of them"
          % len(parts))
    for name in ("CHOSA.DAT", "KIJUN.DAT", "SETUHYO.DAT", "MARK.DAT", "track.nmea"):
        check((c.job / name).read_bytes() == original[c.job / name], "%s unchanged" % name)
    cfg = cfg_values(c.job)
    want = {k: v for k, v in (l.split("=", 1) for l in original[c.job / "Tidrun.CFG"]
                              .decode("cp932").split("\r\n")[1:20] if "=" in l)}
    want.update({"収録方法": "手動", "転送方法": "受信データ"})
    check(all(cfg.get(k) == v for k, v in want.items()),
          "[設定]: the job's keys, 手動 and 受信データ: %s" % {k: cfg.get(k) for k in want})
    check(cfg.get("設標点") == "設標01", "設標点 remembered: %s" % cfg.get("設標点"))
    pivot = (float(cfg.get("計画線(X)", "nan")), float(cfg.get("計画線(Y)", "nan")))
    check(abs(pivot[0] - -67563.159) < 0.001 and abs(pivot[1] - 3512.585) < 0.001,
          "the planned line goes through 設標01: %s" % (pivot,))
    ini = ini_path.read_bytes().decode("cp932")
    check("WORKDIR=%s\r\n" % c.job in ini, "Tidrun.INI keeps the work folder")

    # The next morning: started again, opened, closed: every file as it was.
    day_end = files_of(c.job, c.prog)
    c.start()
    if not c.open_job():
        return
    check(c.title().startswith("Tidrun for GPS　東京湾"), "the job opens again")
    n = len(gps.snapshot()[0])
    wait_for(lambda: len(gps.snapshot()[0]) >= n + 4, 20)  # positions flow again
    if shots:
        x.shot(shots / "next-morning.png")
    status = c.exit()
    gps.stop.set()
    check(status == 0, "the second run ended cleanly (%s)" % status)
    again = files_of(c.job, c.prog)
    for path in sorted(set(day_end) | set(again)):
        check(day_end.get(path) == again.get(path),
              "after the second run %s is as it was" % path.relative_to(tmp))


def check_pdf(pdf, tmp):
    """The printed page shows the map: the job's teal background (rendered by ghostscript)."""
    if not pdf.exists() or not shutil.which("gs"):
        return
    png = tmp / "page.ppm"
    subprocess.run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=ppmraw", "-r20",
                    "-sOutputFile=%s" % png, str(pdf)], capture_output=True)
    page = read_ppm(png.read_bytes()) if png.exists() else None
    body = page[2] if page else b""
    teal = sum(1 for i in range(0, len(body) - 2, 3)
               if body[i] < 30 and abs(body[i + 1] - 128) < 30 and abs(body[i + 2] - 128) < 30)
    # The map fills about a quarter of the page.
    check(teal > len(body) // 3 // 8, "the printed page shows the teal map (%d pixels)" % teal)


def run_powercut(build, tmp, x, shots):
    c = Console(build, tmp, x)
    cfg = (c.job / "Tidrun.CFG").read_bytes().decode("cp932")
    cfg = re.sub(r"収録方法=.*", "収録方法=全データ", cfg) + "\r\n[拡張]\r\n測深入力=転送通信\r\n"
    (c.job / "Tidrun.CFG").write_bytes(cfg.encode("cp932"))
    os.set_blocking(c.out_master, False)
    sounder = DepthSounder(c.out_master, 1 / 7)
    sounder.start()
    gps = Gps(c.gps_master, 0.1)
    if not begin_line(c, gps):  # 全データ: the first cut by hand, then every position
        return
    check(wait_for(lambda: len(recorded(c.job)) >= 40, 30) is not None, "cuts flow to disk")
    c.proc.send_signal(signal.SIGKILL)  # the power cut
    c.proc.wait()
    gps.stop.set()
    time.sleep(0.3)  # the last sentence in flight
    sent, sent_at = gps.snapshot()
    lines = (c.job / "SOKUSEN.DAT").read_bytes().split(b"\r\n")
    complete = [ln.decode("cp932") for ln in lines[:-1]]
    check(len(complete) >= 40, "cuts on disk after the kill: %d" % len(complete))
    check(all(LINE_RE.match(t) for t in complete), "no line torn in the middle of the file")
    cuts = check_line(build, complete, sent, sent_at, 1, 1, "1")
    log = (c.job / "Log/Line1.Log").read_bytes()
    # The sentence of the cut being stored when the program died may miss from the log.
    check(log in (b"".join(cuts), b"".join(cuts[:-1])),
          "Line1.Log holds the sentences of the %d cuts on disk" % len(cuts))
    ggas = [p for p in sent if p.startswith(b"$GPGGA")]
    idx = [ggas.index(p) for p in cuts if p in ggas]
    check(bool(idx) and idx == list(range(idx[0], idx[0] + len(idx))),
          "every position after the first cut was recorded")
    print("torn tail bytes:", len(lines[-1]))
    # The depth file: a row for every cut on disk, and at most the one being written besides.
    rows, tail = depth_rows(c.job)
    serials = [int(m.group(1)) for m in map(LINE_RE.match, complete)]
    row_serials = [int(r[0]) for r in rows]
    check(not tail and serials and row_serials in (serials, serials + [serials[-1] + 1]),
          "the depth file and the recording agree serial for serial (%d rows, %d cuts)"
          % (len(rows), len(serials)))
    sent_depths = sounder.depths()
    depths = [r[6] for r in rows]
    check(all(d in sent_depths for d in depths) and
          [float(d) for d in depths] == sorted(float(d) for d in depths),
          "every row holds a depth the sounder sent, in the order sent")
    # A power cut tears the row being written; the next open gives it its line end.
    torn = b'%d,1,"1",9' % ((row_serials[-1] if row_serials else 0) + 1)
    with open(c.job / "SOKUSEN_水深.csv", "ab") as f:
        f.write(torn)
    # Power back: the next line continues the numbering on a line of its own.
    gps2 = Gps(c.gps_master, 0.1)
    if not begin_line(c, gps2):
        return
    check(wait_for(lambda: len(recorded(c.job)) > len(complete) + 1, 30) is not None,
          "the new line records")
    c.keys("F5")
    check(wait_for(lambda: "計測中" not in c.title(), 10) is not None, "the line ends")
    check(c.exit() == 0, "the program ends through ﾌｧｲﾙ → 終了 → Yes")
    gps2.stop.set()
    sounder.stop.set()
    after = (c.job / "SOKUSEN.DAT").read_bytes().decode("cp932", "replace").split("\r\n")
    new = [LINE_RE.match(t) for t in after if LINE_RE.match(t) and LINE_RE.match(t).group(2) == "2"]
    if check(len(new) >= 1, "the next line is numbered 2"):
        check(int(new[0].group(1)) == len(complete) + 1,
              "serials continue: %s after %d" % (new[0].group(1), len(complete)))
    check(torn + b"\r\n" in (c.job / "SOKUSEN_水深.csv").read_bytes(),
          "the torn depth row got its line end at the open")
    rows, tail = depth_rows(c.job)
    check(not tail and [int(r[0]) for r in rows if r[1] == "2"] ==
          [int(m.group(1)) for m in new] and all(r[6] for r in rows if r[1] == "2"),
          "line 2 has a depth row for every cut, serial for serial")


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = Path(sys.argv[1]).resolve()
    args = sys.argv[2:]
    scenario = args[args.index("--scenario") + 1] if "--scenario" in args else "day"
    shots = Path(args[args.index("--shots") + 1]).resolve() if "--shots" in args else None
    if shots:
        shots.mkdir(parents=True, exist_ok=True)
    if missing_tools("import"):
        print("missing (scripts/deps.sh installs them):", " ".join(missing_tools("import")))
        return 77
    tmp = Path(tempfile.mkdtemp(prefix="tidrun-crewday."))
    x = XServer("1024x768")
    began = time.monotonic()
    try:
        (run_powercut if scenario == "powercut" else run_day)(build, tmp, x, shots)
    finally:
        x.close()
    print("%s: %.0f s, work folder %s" % (scenario, time.monotonic() - began, tmp))
    print("FAILED: %d" % len(FAILS) if FAILS else "all checks passed")
    if not FAILS:
        shutil.rmtree(tmp, ignore_errors=True)
    return 1 if FAILS else 0


if __name__ == "__main__":
    sys.exit(main())
