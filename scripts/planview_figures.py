#!/usr/bin/env python3
"""Prints the plan-view BENCH lines from bench_planview's JSON on stdin, each beside its
anchor: the one-million job's figures, or with the prefix season_ the season job's.

usage: planview_figures.py PANDAS_SECONDS [PREFIX]
"""
import json
import sys


def main():
    pandas_s = float(sys.argv[1])
    prefix = sys.argv[2] if len(sys.argv) > 2 else ""
    runs = {b["run_name"]: b for b in json.load(sys.stdin)["benchmarks"]
            if b.get("run_type") == "iteration"}

    def get(name, key="real_time"):
        for run, b in runs.items():
            if run.startswith(name):
                return b[key]
        raise KeyError(name)

    def out(text):
        print("BENCH " + prefix + text)

    full = get("BM_ChartFull/"); sym = get("BM_ChartFullSymbols/")
    naive = get("BM_NaivePolyline/"); naive_sym = get("BM_NaiveSymbols/")
    out("chart_full_ms %.3f ms anchor naive_polyline_ms %.3f ms ratio %.2f"
        % (full, naive, naive / full))
    out("chart_full_symbols_ms %.3f ms anchor naive_symbols_ms %.3f ms ratio %.2f"
        % (sym, naive_sym, naive_sym / sym))
    if not prefix:
        depth = get("BM_ChartFullSymbolsDepth/")
        out("chart_full_symbols_depth_ms %.3f ms anchor chart_full_symbols_ms %.3f ms ratio %.2f"
            % (depth, sym, depth / sym))
    if prefix:
        area = get("BM_ChartArea/")
        out("chart_area_ms %.3f ms anchor %schart_full_symbols_ms %.3f ms ratio %.2f"
            % (area, prefix, sym, sym / area))
        out("chart_empty_ms %.3f ms" % get("BM_ChartEmpty/"))
    else:
        out("chart_tenth_ms %.3f ms" % get("BM_ChartTenth/"))
    out("boat_update_ms %.4f ms" % (get("BM_BoatUpdate/", "cpu_time") / 4))
    # A cut added with 5,000 cuts in the open line: its rectangle, beside the whole window.
    cut = get("BM_CutAdded/5000/1/", "cpu_time"); whole = get("BM_CutAdded/5000/0/", "cpu_time")
    out("cut_repaint_ms %.3f ms anchor %scut_repaint_whole_ms %.3f ms ratio %.2f"
        % (cut, prefix, whole, whole / cut))
    # A mark added, repainted over the warm cache, beside the whole static picture redrawn.
    edit = get("BM_MarkEdit/1/"); edit_whole = get("BM_MarkEdit/0/")
    out("mark_edit_repaint_ms %.3f ms anchor %smark_edit_whole_ms %.3f ms ratio %.2f"
        % (edit, prefix, edit_whole, edit_whole / edit))
    if prefix:
        out("bytes_per_cut %.1f B" % get("BM_OpenToMap/", "rss_bytes_per_cut"))
    else:
        out("chart_memory_bytes_per_cut %.2f B" % get("BM_Memory/", "bytes_per_cut"))
    open_s = get("BM_OpenToMap/")
    out("open_to_map_s %.4f s anchor pandas_read_csv_s %.4f s ratio %.2f"
        % (open_s, pandas_s, pandas_s / open_s))


if __name__ == "__main__":
    main()
