#!/usr/bin/env python3
"""Makes the demo job: a work folder in code page 932 off Kisarazu in Tokyo Bay (zone 9)
and an NMEA track (GGA + RMC, 1 Hz) of a boat running survey lines across it.

    make_demo.py                 rewrites examples/demo/ (file names relative to the folder)
    make_demo.py --out DIR       writes a ready work folder into DIR, with absolute paths
                                 in its Tidrun.CFG, and the track as DIR/track.nmea
"""
import argparse
import math
import os
import random

# Zone 9 of the plane rectangular system, world datum (a, 1/f as the console uses them).
A = 6378137.0
INV_F = 298.257223563
M0 = 0.9999
LAT0, LON0 = 36.0, 139.833333333333


def _ellipsoid():
    f = 1.0 / INV_F
    b = (1 - f) * A
    e2 = (A * A - b * b) / (A * A)
    ep2 = (A * A - b * b) / (b * b)
    n = f / (2 - f)
    a0 = 1 + n**2 / 4 + n**4 / 64
    a1 = 1.5 * (n - n**3 / 8)
    a2 = 15 / 16 * (n**2 - n**4 / 4)
    a3 = 35 / 48 * n**3
    a4 = 315 / 512 * n**4
    return e2, ep2, n, (a0, a1, a2, a3, a4)


E2, EP2, N_, AC = _ellipsoid()


def _arc(phi):
    a0, a1, a2, a3, a4 = AC
    return A / (1 + N_) * (a0 * phi - a1 * math.sin(2 * phi) + a2 * math.sin(4 * phi)
                           - a3 * math.sin(6 * phi) + a4 * math.sin(8 * phi))


def to_plane(lat, lon):
    """Latitude/longitude (degrees) to zone-9 X (north), Y (east) in metres."""
    phi, lam = math.radians(lat), math.radians(lon)
    phi0, lam0 = math.radians(LAT0), math.radians(LON0)
    t = math.tan(phi)
    c = math.cos(phi)
    eta2 = EP2 * c * c
    nn = A / math.sqrt(1 - E2 * math.sin(phi) ** 2)
    dl = lam - lam0
    x = (_arc(phi) - _arc(phi0) + nn * t * c**2 * dl**2 / 2
         + nn * t * c**4 * (5 - t * t + 9 * eta2 + 4 * eta2**2) * dl**4 / 24)
    y = nn * c * dl + nn * c**3 * (1 - t * t + eta2) * dl**3 / 6
    return M0 * x, M0 * y


def nmea(body):
    cs = 0
    for ch in body.encode("ascii"):
        cs ^= ch
    return "$%s*%02X\r\n" % (body, cs)


def ddmm(value, width):
    deg = int(value)
    minutes = (value - deg) * 60
    return "%0*d%07.4f" % (width, deg, minutes)


# Two survey regions (latitude/longitude corners), reference and buoy points.
REGIONS = [
    [(35.3900, 139.8700), (35.3900, 139.8820), (35.3980, 139.8820), (35.3980, 139.8700)],
    [(35.4000, 139.8740), (35.4000, 139.8840), (35.4060, 139.8860), (35.4060, 139.8740)],
]


def write_cp932(path, lines):
    with open(path, "wb") as f:
        for line in lines:
            f.write(line.encode("cp932") + b"\r\n")


def make_points(rng):
    refs = []
    for i in range(10):
        lat = 35.3880 + 0.0020 * (i % 5) + rng.uniform(-0.0003, 0.0003)
        lon = 139.8680 + 0.0200 * (i // 5) + rng.uniform(-0.0003, 0.0003)
        x, y = to_plane(lat, lon)
        refs.append("基準%d %.3f %.3f %.3f" % (i + 1, x, y, rng.uniform(1.5, 4.0)))
    buoys = []
    notes = ["灯浮標", "ブイ", "", "浮標", "仮設"]
    for i in range(20):
        lat = 35.3910 + 0.0006 * (i % 10) + (0.0080 if i >= 10 else 0)
        lon = 139.8720 + 0.0009 * (i % 7)
        x, y = to_plane(lat, lon)
        note = notes[i % len(notes)]
        buoys.append(("設標%02d %.3f %.3f %s" % (i + 1, x, y, note)).rstrip())
    # A mark's number is its colour as a Windows colour value (0x00BBGGRR), one of the basic
    # colours the mark dialog offers: red, yellow, fuchsia and white stand out on the teal map.
    marks = []
    for i, (name, colour) in enumerate([("障害物", 0x0000FF), ("浅所", 0x00FFFF),
                                        ("作業船", 0xFF00FF), ("目標", 0xFFFFFF)]):
        x, y = to_plane(35.3925 + 0.0030 * i, 139.8760 + 0.0015 * i)
        marks.append("%10.3f %10.3f %s %d" % (x, y, name, colour))
    area = []
    for r, corners in enumerate(REGIONS, start=1):
        for k, (lat, lon) in enumerate(corners):
            x, y = to_plane(lat, lon)
            area.append("区域%d-%d %.3f %.3f %d %d" % (r, k + 1, x, y, r, 0))
    return refs, buoys, marks, area


def make_track(rng):
    """The boat runs east-west lines over both regions at about 3 m/s, 1 Hz."""
    out = []
    t = 0.5 * 3600  # 00:30:00 UTC
    legs = []
    for region in REGIONS:
        lat_lo = min(p[0] for p in region) + 0.0004
        lat_hi = max(p[0] for p in region) - 0.0004
        lon_lo = min(p[1] for p in region) - 0.0006
        lon_hi = max(p[1] for p in region) + 0.0006
        lat = lat_lo
        east = True
        while lat <= lat_hi:
            a, b = (lon_lo, lon_hi) if east else (lon_hi, lon_lo)
            legs.append(((lat, a), (lat, b)))
            lat += 0.0009  # about 100 m between lines
            east = not east
    pos = legs[0][0]
    points = []
    for start, end in legs:
        # turn/transit to the start of the leg, then run the leg
        for seg in ((pos, start), (start, end)):
            (la0, lo0), (la1, lo1) = seg
            dn = (la1 - la0) * 111000.0
            de = (lo1 - lo0) * 111000.0 * math.cos(math.radians(la0))
            dist = math.hypot(dn, de)
            steps = max(1, int(dist / 3.0))
            course = (math.degrees(math.atan2(de, dn)) + 360.0) % 360.0
            for s in range(steps):
                f = s / steps
                points.append((la0 + (la1 - la0) * f, lo0 + (lo1 - lo0) * f, course))
        pos = end
    for lat, lon, course in points:
        lat += rng.gauss(0, 0.000004)
        lon += rng.gauss(0, 0.000004)
        hh = int(t // 3600) % 24
        mm = int(t // 60) % 60
        ss = t % 60
        hms = "%02d%02d%05.2f" % (hh, mm, ss)
        alt = 3.2 + rng.gauss(0, 0.03)
        quality = 4 if rng.random() > 0.03 else 5
        age = 1.0 + rng.random()
        out.append(nmea("GPGGA,%s,%s,N,%s,E,%d,12,0.8,%.3f,M,36.700,M,%.1f,0001" %
                        (hms, ddmm(lat, 2), ddmm(lon, 3), quality, alt, age)))
        speed = 5.8 + rng.gauss(0, 0.2)
        out.append(nmea("GPRMC,%s,A,%s,N,%s,E,%.2f,%.1f,081226,,,D" %
                        (hms, ddmm(lat, 2), ddmm(lon, 3), speed, course)))
        t += 1.0
    return out


def write_job(folder, absolute):
    rng = random.Random(20261208)
    os.makedirs(folder, exist_ok=True)
    refs, buoys, marks, area = make_points(rng)
    write_cp932(os.path.join(folder, "KIJUN.DAT"), refs)
    write_cp932(os.path.join(folder, "CHOSA.DAT"), area)
    write_cp932(os.path.join(folder, "SETUHYO.DAT"), buoys)
    write_cp932(os.path.join(folder, "MARK.DAT"), marks)
    open(os.path.join(folder, "SOKUSEN.DAT"), "wb").close()

    def path(name):
        return os.path.join(os.path.abspath(folder), name) if absolute else name

    cfg = [
        "[設定]",
        "通信=COM1",
        "速度=4800",
        "座標系=WGS84",
        "収録方法=自動",
        "地図座標系=世界測地系",
        "平面座標=9系",
        "転送通信=COM2",
        "転送速度=4800",
        "転送方法=しない",
        "間隔=10",
        "工事名=東京湾 深浅測量（デモ）",
        "基準=" + path("KIJUN.DAT"),
        "調査=" + path("CHOSA.DAT"),
        "設標=" + path("SETUHYO.DAT"),
        "収録=" + path("SOKUSEN.DAT"),
        "マーク=" + path("MARK.DAT"),
        "転送文字=",
        "変換新=1",
        "",
        "[Color]",
        "平面図=Teal",
    ]
    write_cp932(os.path.join(folder, "Tidrun.CFG"), cfg)
    with open(os.path.join(folder, "track.nmea"), "wb") as f:
        f.write("".join(make_track(rng)).encode("ascii"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", help="write a ready work folder here (absolute paths)")
    args = parser.parse_args()
    if args.out:
        write_job(args.out, absolute=True)
    else:
        here = os.path.dirname(os.path.abspath(__file__))
        write_job(os.path.join(here, "..", "examples", "demo"), absolute=False)


if __name__ == "__main__":
    main()
