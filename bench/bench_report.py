#!/usr/bin/env python3
"""Prints the benchmark figures of ftp_bench.py side by side, each the median of its server's
runs, with the ratios ours/theirs and the targets.
Usage: bench_report.py OURS.json[,MORE.json...] VSFTPD.json[,...] PUREFTPD.json[,...]"""

import json
import statistics
import sys


def load(path):
    try:
        with open(path) as f:
            return json.loads(f.read().strip().splitlines()[-1])
    except (OSError, ValueError, IndexError):
        return {}


def get(figures, *keys):
    if not keys:  # a heading row
        return None
    for key in keys:
        if not isinstance(figures, dict) or key not in figures:
            return None
        figures = figures[key]
    return figures


def median(runs, keys):
    values = [v for v in (get(f, *keys) for f in runs) if isinstance(v, (int, float))]
    if not values:
        return None
    value = statistics.median(values)
    if all(isinstance(v, int) for v in values) and value == int(value):
        return int(value)
    return float(value)


ROWS = [
    ("RETR 1 GiB (MB/s)", ("retr_mb_s",), "higher", ">= best peer"),
    ("STOR 1 GiB (MB/s)", ("stor_mb_s",), "higher", ">= best peer"),
    ("2,000 x 4 KiB up (files/s)", ("small_files_per_s", "up"), "higher", ""),
    ("2,000 x 4 KiB down (files/s)", ("small_files_per_s", "down"), "higher", ""),
    ("2,000 x 4 KiB up+down (files/s)", ("small_files_per_s", "both"), "higher", ""),
    ("200 clients x 10 MiB up+down (s)", ("concurrent", "seconds"), "lower", "<= vsftpd"),
    ("  failed sessions", ("concurrent", "failed"), "lower", "0"),
    ("logins/s (users table)", ("logins", "per_second"), "higher", ">= 200 (10,000 users)"),
    ("  users in table", ("logins", "users_table"), "", ""),
    ("  failed logins", ("logins", "failed"), "lower", "0"),
    ("logins/s (130,000 users, unchanged)", ("logins_big", "per_second"), "higher", ">= 1,000"),
    ("  failed logins", ("logins_big", "failed"), "lower", "0"),
    ("file replaced every 50 ms, 40 clients:", (), "", ""),
    ("  median login (s)", ("logins_changing", "median_login_s"), "lower", "< 1"),
    ("  peak RSS (KiB)", ("logins_changing", "peak_rss_kib"), "lower", "< 1 GiB"),
    ("  logins made", ("logins_changing", "logins"), "", ""),
    ("  failed logins", ("logins_changing", "failed"), "lower", "0"),
    ("idle: RSS KiB per connection", ("idle", "rss_kib_per_connection"), "lower", "< 64"),
    ("idle: PSS KiB per connection", ("idle", "pss_kib_per_connection"), "lower", ""),
    ("log flood: quiet CWD median (ms)", ("log_flood", "quiet", "median_ms"), "lower", ""),
    ("  NOOP flood: median (ms)", ("log_flood", "noop_flood", "median_ms"), "lower", ""),
    ("  p99 (ms)", ("log_flood", "noop_flood", "p99_ms"), "lower", ""),
    ("  CWD flood: median (ms)", ("log_flood", "flooded", "median_ms"), "lower", ""),
    ("  p99 (ms)", ("log_flood", "flooded", "p99_ms"), "lower", ""),
    ("  max (ms)", ("log_flood", "flooded", "max_ms"), "lower", ""),
    ("  flood replies", ("log_flood", "flood_replies"), "", ""),
    ("  flood lines in the log", ("log_flood", "flood_lines_in_log"), "", "= flood replies"),
]


def cell(value):
    if value is None:
        return "-"
    return f"{value:.1f}" if isinstance(value, float) else str(value)


def main():
    servers = [[load(p) for p in arg.split(",") if p] for arg in sys.argv[1:4]]
    counts = "/".join(str(sum(1 for f in runs if f)) for runs in servers)
    print(f"Median of each server's runs (ours/vsftpd/pure-ftpd: {counts} runs).")
    header = f"{'':34} {'ours':>10} {'vsftpd':>10} {'pure-ftpd':>10} {'ours/vs':>8} {'ours/pure':>9}  target"
    print(header)
    print("-" * len(header))
    for label, keys, _, target in ROWS:
        values = [median(runs, keys) for runs in servers]
        ratios = []
        for theirs in values[1:]:
            if isinstance(values[0], (int, float)) and isinstance(theirs, (int, float)) and theirs:
                ratios.append(f"{values[0] / theirs:.2f}")
            else:
                ratios.append("-")
        print(f"{label:34} {cell(values[0]):>10} {cell(values[1]):>10} {cell(values[2]):>10} "
              f"{ratios[0]:>8} {ratios[1]:>9}  {target}")
    print("\nThe 200 concurrent clients (and the 500 idle connections) come from as many loopback "
          "addresses, 127.0.1.1 and up, one each: every server caps the connections of one "
          "address.")
    print("vsftpd logs in anonymously (it has no users file); pure-ftpd reads a PureDB of the "
          "same number of virtual users.")


if __name__ == "__main__":
    main()
