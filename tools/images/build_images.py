#!/usr/bin/env python3
"""Makes the program's compiled-in pictures: writes an SVG source per picture, renders the
changed ones with rsvg-convert in parallel and rewrites them as RGBA PNGs of their exact size.

  build_images.py --list                      keys and sizes, one "key width height" a line
  build_images.py --out DIR --rgba TOOL [--jobs N] [--text-dir DIR] [--version X.Y.Z]
"""
import argparse
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pictures  # noqa: E402


def render(job):
    key, svg_path, raw_path, png_path, w, h, rgba_tool = job
    r = subprocess.run(["rsvg-convert", "-w", str(w), "-h", str(h), "-o", raw_path, svg_path],
                       capture_output=True, text=True)
    if r.returncode != 0:
        return svg_path, "%s: rsvg-convert failed: %s" % (key, r.stderr.strip())
    r = subprocess.run([rgba_tool, raw_path, png_path, str(w), str(h)], capture_output=True, text=True)
    if r.returncode != 0:
        return svg_path, "%s: %s" % (key, r.stderr.strip())
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--out")
    ap.add_argument("--rgba")
    ap.add_argument("--jobs", type=int, default=min(8, os.cpu_count() or 4))
    ap.add_argument("--text-dir", default="")
    ap.add_argument("--version", default="", help="the program version the about page shows")
    ap.add_argument("--only", default="", help="comma-separated keys (for trying out artwork)")
    args = ap.parse_args()

    table = pictures.table()
    if args.list:
        for key, (w, h, _) in table.items():
            print(key, w, h)
        return 0
    if not args.out or not args.rgba:
        ap.error("--out and --rgba are needed")
    pictures.load_text_table(args.text_dir)
    if args.version:
        pictures.set_version(args.version)

    svg_dir = os.path.join(args.out, "svg")
    png_dir = os.path.join(args.out, "png")
    os.makedirs(svg_dir, exist_ok=True)
    os.makedirs(png_dir, exist_ok=True)
    only = set(filter(None, args.only.split(",")))
    tool_time = os.path.getmtime(args.rgba)
    jobs = []
    for key, (w, h, make) in table.items():
        if only and key not in only:
            continue
        svg = make()
        svg_path = os.path.join(svg_dir, key + ".svg")
        png_path = os.path.join(png_dir, key + ".png")
        old = None
        if os.path.exists(svg_path):
            with open(svg_path, encoding="utf-8") as f:
                old = f.read()
        if old != svg:
            with open(svg_path, "w", encoding="utf-8") as f:
                f.write(svg)
        if old != svg or not os.path.exists(png_path) or os.path.getmtime(png_path) < tool_time:
            jobs.append((key, svg_path, os.path.join(png_dir, key + ".raw.png"), png_path, w, h, args.rgba))
    with ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        errors = [e for e in pool.map(render, jobs) if e]
    for job in jobs:
        if os.path.exists(job[2]):
            os.remove(job[2])
    if errors:
        # Drop the sources of failed pictures so that the next run renders them again.
        for svg_path, message in errors:
            os.remove(svg_path)
            print(message, file=sys.stderr)
        return 1
    # Every picture is up to date now, rendered or not: mark them so the build sees that.
    for key in table:
        png_path = os.path.join(png_dir, key + ".png")
        if os.path.exists(png_path):
            os.utime(png_path)
    print("pictures: %d rendered, %d unchanged" % (len(jobs), len(table) - len(jobs)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
