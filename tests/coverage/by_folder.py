"""Sums gcovr's per-file summary by top folder and holds each folder to its floor.

usage: by_folder.py SUMMARY.json FLOORS.txt
"""
import json
import sys


def main():
    summary, floors_file = sys.argv[1:3]
    floors = {}
    with open(floors_file, encoding="utf-8") as text:
        for line in text:
            fields = line.split("#")[0].split()
            if fields:
                floors[fields[0]] = (float(fields[1]), float(fields[2]))
    totals = {folder: [0, 0, 0, 0] for folder in floors}
    with open(summary, encoding="utf-8") as data:
        for entry in json.load(data)["files"]:
            folder = entry["filename"].split("/")[0] + "/"
            if folder in totals:
                total = totals[folder]
                total[0] += entry["line_covered"]
                total[1] += entry["line_total"]
                total[2] += entry["branch_covered"]
                total[3] += entry["branch_total"]
    failed = False
    print(f"{'folder':<10} {'lines':>16} {'branches':>16}   floor (lines, branches)")
    for folder, (lines_hit, lines, branches_hit, branches) in totals.items():
        line_share = 100.0 * lines_hit / lines if lines else 100.0
        branch_share = 100.0 * branches_hit / branches if branches else 100.0
        line_floor, branch_floor = floors[folder]
        low = line_share < line_floor or branch_share < branch_floor
        failed = failed or low
        print(f"{folder:<10} {line_share:6.1f} % {lines_hit:4}/{lines:<4} "
              f"{branch_share:6.1f} % {branches_hit:4}/{branches:<4}   "
              f"{line_floor:g} %, {branch_floor:g} %{'   BELOW THE FLOOR' if low else ''}")
    sys.exit(1 if failed else 0)


main()
