#!/usr/bin/env python3
"""Checks that the program's folders include each other only downwards, in the order they are
built: each folder may include itself and the folders it is allowed to use, nothing above.

  check_layers.py [ROOT]        prints each wrong-way include as FILE:LINE: ...; exit 1 if any
  check_layers.py --graph ROOT  prints the include arrows between folders with their counts
"""
import os
import re
import sys

# Folder -> the folders its code may include. app/ (with app/glut/) is the top and may include
# everything.
ALLOWED = {
    "assets": set(),
    "frame": {"assets"},
    "render": {"frame", "assets"},
    "sound": {"frame", "assets"},
    "tracking": {"frame", "render", "assets"},
    "drumming": {"frame", "render", "tracking", "sound", "assets"},
    "library": {"frame", "render", "tracking", "sound", "drumming", "assets"},
    "airmenu": {"frame", "render", "tracking", "sound", "drumming", "library", "assets"},
    "screens": {"frame", "render", "tracking", "sound", "drumming", "library", "airmenu", "assets"},
}
ALLOWED["app"] = set(ALLOWED) - {"app"}
INCLUDE = re.compile(r'\s*#\s*include\s*"([^"]+)"')
SOURCE = (".cpp", ".cc", ".c", ".h", ".hpp")


def layer(path):
    top = path.split("/")[0]
    return top if top in ALLOWED else None


def includes(root):
    """(file, line, including layer, included path, included layer) for every quoted include
    between program folders."""
    for folder in ALLOWED:
        for d, _, files in os.walk(os.path.join(root, folder)):
            for f in sorted(files):
                if not f.endswith(SOURCE):
                    continue
                rel = os.path.relpath(os.path.join(d, f), root)
                with open(os.path.join(d, f), errors="replace") as text:
                    for n, line in enumerate(text, 1):
                        m = INCLUDE.match(line)
                        if m:
                            dst = layer(m.group(1))
                            if dst and dst != folder:
                                yield rel, n, folder, m.group(1), dst


def main(argv):
    graph = "--graph" in argv
    args = [a for a in argv if a != "--graph"]
    root = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    wrong = 0
    arrows = {}
    for rel, n, src, target, dst in includes(root):
        arrows[(src, dst)] = arrows.get((src, dst), 0) + 1
        if dst not in ALLOWED[src]:
            wrong += 1
            if not graph:
                print("%s:%d: %s/ may not include %s (%s/ stands above it)" % (rel, n, src, target, dst))
    if graph:
        for (src, dst), count in sorted(arrows.items()):
            mark = "" if dst in ALLOWED[src] else "  WRONG WAY"
            print("%-9s -> %-9s %3d%s" % (src, dst, count, mark))
        print("%d folder arrows, %d against the order" % (len(arrows), sum(1 for (s, d) in arrows if d not in ALLOWED[s])))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
