#!/usr/bin/env python3
"""Writes the plan-view benchmark job into a work folder: 1,000,000 cuts in 1,000 lines (the
recording file of gen_recording.py), 10,000 survey-area vertices in 10 regions, 10,000 marks,
1,000 reference points and 1,000 buoy points, and a Tidrun.CFG naming them (absolute paths).
Code page 932, CR LF. With --depth, also the recording's depth companion SOKUSEN_水深.csv, a
row for every cut (a depth for all but every 97th).

usage: gen_plan_job.py FOLDER [--lines N] [--cuts-per-line M] [--depth]
Files already there with the expected content are kept.
"""
import argparse
import math
import os
import random
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# The recording's lines start within 500 m of this point and run 2.5 km.
CX, CY = -145000.0, 23000.0


def write_cp932(path, lines):
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        for line in lines:
            f.write(line.encode('cp932') + b'\r\n')
    os.replace(tmp, path)


def write_depth_companion(rec, total):
    """One row per cut of the recording, read back from it."""
    path = rec[:-len('.DAT')] + '_水深.csv'
    stamp = path + '.count'
    if os.path.exists(path) and os.path.exists(stamp):
        with open(stamp) as f:
            if f.read().strip() == str(total):
                return
    tmp = path + '.tmp'
    with open(rec, encoding='cp932', newline='') as src, \
            open(tmp, 'w', encoding='cp932', newline='') as out:
        out.write('通番,測線番号,測線名,ｶｯﾄ番号,X,Y,水深,水深経過ms,測位受信時刻,水深受信時刻\r\n')
        chunk = []
        for row in src:
            f = row.split(', ')
            serial, x, y = int(f[0]), float(f[4]), float(f[5])
            day, clock = f[12].strip('"').split(' ')
            h, m, sec = clock.split(':')
            stamp_text = '20%s-%s-%s %02d:%s:%s' % (day[0:2], day[3:5], day[6:8], int(h), m, sec)
            if serial % 97:
                depth = 5.0 + 10.0 * ((x * 0.013 + y * 0.007) % 1.0)
                tail = '%.2f,40,%s.100,%s.060' % (depth, stamp_text, stamp_text)
            else:
                tail = ',,%s.100,' % stamp_text
            chunk.append('%d,%d,%s,%d,%.3f,%.3f,%s\r\n' % (serial, int(f[1]), f[2], int(f[3]),
                                                          x, y, tail))
            if len(chunk) >= 10000:
                out.write(''.join(chunk))
                chunk = []
        out.write(''.join(chunk))
    os.replace(tmp, path)
    with open(stamp, 'w') as f:
        f.write(str(total))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('folder')
    ap.add_argument('--lines', type=int, default=1000)
    ap.add_argument('--cuts-per-line', type=int, default=1000)
    ap.add_argument('--depth', action='store_true')
    a = ap.parse_args()
    folder = os.path.abspath(a.folder)
    os.makedirs(folder, exist_ok=True)
    rec = os.path.join(folder, 'SOKUSEN.DAT')
    subprocess.run([sys.executable, os.path.join(HERE, 'gen_recording.py'), rec,
                    '--lines', str(a.lines), '--cuts-per-line', str(a.cuts_per_line)], check=True)
    if a.depth:
        write_depth_companion(rec, a.lines * a.cuts_per_line)
    rnd = random.Random(9)
    area = []
    for r in range(1, 11):
        # Ten wobbly rings of 1,000 vertices around the recorded area.
        cx = CX + rnd.uniform(-1500, 1500)
        cy = CY + rnd.uniform(-1500, 1500)
        radius = rnd.uniform(600, 2200)
        for k in range(1000):
            t = 2 * math.pi * k / 1000
            rr = radius * (1 + 0.05 * math.sin(7 * t) + 0.002 * rnd.uniform(-1, 1))
            area.append('区域%d-%d %.3f %.3f %d %d' % (r, k + 1, cx + rr * math.cos(t),
                                                      cy + rr * math.sin(t), r, 0))
    write_cp932(os.path.join(folder, 'CHOSA.DAT'), area)

    def spot():
        return CX + rnd.uniform(-3000, 3000), CY + rnd.uniform(-3000, 3000)

    refs = ['基準%d %.3f %.3f %.3f' % ((i + 1,) + spot() + (rnd.uniform(1, 4),))
            for i in range(1000)]
    buoys = ['設標%04d %.3f %.3f 浮標' % ((i + 1,) + spot()) for i in range(1000)]
    marks = ['%10.3f %10.3f マーク%d %d' % (spot() + (i + 1, rnd.choice(
        [0x0000FF, 0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x00FF00]))) for i in range(10000)]
    write_cp932(os.path.join(folder, 'KIJUN.DAT'), refs)
    write_cp932(os.path.join(folder, 'SETUHYO.DAT'), buoys)
    write_cp932(os.path.join(folder, 'MARK.DAT'), marks)
    cfg = ['[設定]', '通信=COM1', '速度=4800', '座標系=WGS84', '収録方法=自動',
           '地図座標系=世界測地系', '平面座標=9系', '転送通信=COM2', '転送速度=4800',
           '転送方法=しない', '間隔=10', '工事名=平面図ベンチマーク',
           '基準=' + os.path.join(folder, 'KIJUN.DAT'),
           '調査=' + os.path.join(folder, 'CHOSA.DAT'),
           '設標=' + os.path.join(folder, 'SETUHYO.DAT'),
           '収録=' + rec,
           'マーク=' + os.path.join(folder, 'MARK.DAT'),
           '転送文字=', '変換新=1', '', '[Color]', '平面図=Teal']
    write_cp932(os.path.join(folder, 'Tidrun.CFG'), cfg)


if __name__ == '__main__':
    main()
