#!/usr/bin/env python3
"""Makes the demo's sounder track from its GPS track: a DPT sentence every STEP_MS along the
same run, the depth a smooth seabed under the boat's position (shoaling toward the shore,
a channel, small ripples and sounder noise), now and then no bottom.
Usage: scripts/gen_sounder_track.py TRACK.nmea OUT.nmea"""
import math
import random
import sys

STEP_MS = 200  # the console replays a sounder file at five sentences a second
OFFSET_M = 0.50


def checksum(body):
    x = 0
    for c in body.encode("ascii"):
        x ^= c
    return "%02X" % x


def fixes(path):
    """(seconds of the run, latitude, longitude) of every GGA, in order."""
    out, day, last = [], 0, None
    for line in open(path, encoding="ascii"):
        f = line.strip().split(",")
        if not f[0].endswith("GGA") or len(f) < 6 or not f[1] or not f[2]:
            continue
        t = int(f[1][0:2]) * 3600 + int(f[1][2:4]) * 60 + float(f[1][4:])
        if last is not None and t + day < last - 43200:
            day += 86400
        last = t + day
        lat = int(float(f[2]) / 100) + (float(f[2]) % 100) / 60
        lon = int(float(f[4]) / 100) + (float(f[4]) % 100) / 60
        out.append((last, lat, lon))
    return out


def main(track, out_path):
    pts = fixes(track)
    lat0, lon0 = pts[0][1], pts[0][2]
    rnd = random.Random(20261210)
    t0, t_end = pts[0][0], pts[-1][0] + 1
    lines, i = [], 0
    steps = int(round((t_end - t0) * 1000 / STEP_MS))
    for k in range(steps):
        t = t0 + k * STEP_MS / 1000
        while i + 1 < len(pts) and pts[i + 1][0] <= t:
            i += 1
        a, b = pts[i], pts[min(i + 1, len(pts) - 1)]
        w = 0 if b[0] == a[0] else min(1, max(0, (t - a[0]) / (b[0] - a[0])))
        lat, lon = a[1] + (b[1] - a[1]) * w, a[2] + (b[2] - a[2]) * w
        north = (lat - lat0) * 111320.0
        east = (lon - lon0) * 111320.0 * math.cos(math.radians(lat0))
        depth = 6.0 + 0.004 * east + 0.002 * north
        depth += 2.5 * math.exp(-((east - 900) / 120) ** 2)  # a dredged channel
        depth += 0.3 * math.sin(north / 37.0) + rnd.gauss(0, 0.04)
        below = max(0.3, depth) - OFFSET_M
        body = "SDDPT,,%.2f" % OFFSET_M if rnd.random() < 0.004 else "SDDPT,%.2f,%.2f" % (below, OFFSET_M)
        lines.append("$%s*%s\r\n" % (body, checksum(body)))
    with open(out_path, "w", encoding="ascii", newline="") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main(*sys.argv[1:3])
