#!/usr/bin/env python3
"""Writes a GGA/RMC NMEA stream for the benchmarks: one GGA and one RMC per epoch, CR LF
line ends, valid checksums, a boat moving slowly in Tokyo Bay at 10 Hz.

usage: gen_nmea_stream.py OUTPUT [SENTENCES]   (default 750000 sentences)
"""
import random
import sys


def with_checksum(body: str) -> str:
    x = 0
    for ch in body.encode("ascii"):
        x ^= ch
    return "$%s*%02X\r\n" % (body, x)


def nmea_angle(deg: float, width: int) -> str:
    d = int(deg)
    minutes = (deg - d) * 60.0
    return "%0*d%011.8f" % (width, d, minutes)


def main() -> None:
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 750000
    rng = random.Random(20240601)
    lat, lon = 35.45, 139.78
    tick = 3 * 3600 * 10  # UTC time of day in tenths of a second
    lines = []
    for i in range(count):
        if i % 2 == 0:
            lat += rng.uniform(-2e-6, 4e-6)
            lon += rng.uniform(-2e-6, 4e-6)
            tick = (tick + 1) % 864000
            hh, rem = divmod(tick, 36000)
            mm, ss = divmod(rem, 600)
            stamp = "%02d%02d%02d.%d0" % (hh, mm, ss // 10, ss % 10)
            quality = rng.choice((1, 2, 4, 4, 4, 5))
            gga = "GPGGA,%s,%s,N,%s,E,%d,%02d,%.1f,%.3f,M,%.3f,M,%.1f,%04d" % (
                stamp, nmea_angle(lat, 2), nmea_angle(lon, 3), quality, rng.randint(5, 20),
                rng.uniform(0.5, 2.5), rng.uniform(-2.0, 5.0), 36.7, rng.uniform(0, 9), 133)
            lines.append(with_checksum(gga))
        else:
            rmc = "GPRMC,%s,A,%s,N,%s,E,%.3f,%.2f,010624,,,D" % (
                stamp, nmea_angle(lat, 2), nmea_angle(lon, 3), rng.uniform(0, 8),
                rng.uniform(0, 360))
            lines.append(with_checksum(rmc))
    with open(out, "w", newline="") as f:
        f.write("".join(lines))


if __name__ == "__main__":
    main()
