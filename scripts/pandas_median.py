#!/usr/bin/env python3
"""Prints the median wall time, in seconds, of three pandas.read_csv runs over a recording
file (no header, code page 932): the anchor the console's own loading is measured beside.

usage: pandas_median.py FILE [ROWS]   (ROWS: the number of rows the file must give)
"""
import statistics
import sys
import time

import pandas


def main():
    times = []
    for _ in range(3):
        t = time.perf_counter()
        frame = pandas.read_csv(sys.argv[1], header=None, encoding="cp932")
        times.append(time.perf_counter() - t)
        if len(sys.argv) > 2:
            assert len(frame) == int(sys.argv[2]), len(frame)
    print("%.4f" % statistics.median(times))


if __name__ == "__main__":
    main()
