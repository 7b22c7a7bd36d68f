#!/usr/bin/env python3
"""Writes a recording file for the benchmarks: 1,000,000 cuts in 1,000 survey lines
(about 190 MB), in the console's own line format, code page 932, CR LF.

usage: gen_recording.py OUTPUT [--lines N] [--cuts-per-line M]
Does nothing when OUTPUT already exists with the expected number of lines.
"""
import argparse
import math
import os
import random

FMT = ('%5d, %4d, "%s", %4d, %11.3f, %11.3f, %8.3f, %8.3f, %4d, %12.6f, %12.6f, %8.3f, '
       '"%s", %11.3f, %11.3f, %8.3f, %8.3f\r\n')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('output')
    ap.add_argument('--lines', type=int, default=1000)
    ap.add_argument('--cuts-per-line', type=int, default=1000)
    a = ap.parse_args()
    total = a.lines * a.cuts_per_line
    stamp = a.output + '.count'
    if os.path.exists(a.output) and os.path.exists(stamp):
        with open(stamp) as f:
            if f.read().strip() == str(total):
                return
    rnd = random.Random(4)
    tmp = a.output + '.tmp'
    serial = 0
    with open(tmp, 'w', encoding='cp932', newline='') as out:
        for line in range(1, a.lines + 1):
            name = '測線%04d 第%d区' % (line, (line - 1) // 50 + 1)
            x0 = -145000.0 + rnd.uniform(-500, 500)
            y0 = 23000.0 + rnd.uniform(-500, 500)
            heading = rnd.uniform(0, 2 * math.pi)
            dx, dy = math.cos(heading) * 2.5, math.sin(heading) * 2.5
            day, sec = 8 + (line - 1) // 200, 8 * 3600 + ((line - 1) % 200) * 120
            chunk = []
            for cut in range(1, a.cuts_per_line + 1):
                serial += 1
                x = x0 + dx * cut + rnd.uniform(-0.2, 0.2)
                y = y0 + dy * cut + rnd.uniform(-0.2, 0.2)
                t = sec + cut
                time = '26/12/%02d %d:%02d:%02d' % (day, (t // 3600) % 24, (t // 60) % 60, t % 60)
                chunk.append(FMT % (serial, line, name, cut, x, y, -1.234 + rnd.uniform(-0.1, 0.1),
                                    2.5 if cut > 1 else 0.0, 1 if cut > 1 else 0,
                                    34.0 + x / 111000.0 + 0.6, 135.0 + y / 91000.0,
                                    40.0 + rnd.uniform(-0.5, 0.5), time,
                                    0.125, -0.25, 0.05, 1.5))
            out.write(''.join(chunk))
    os.replace(tmp, a.output)
    with open(stamp, 'w') as f:
        f.write(str(total))


if __name__ == '__main__':
    main()
