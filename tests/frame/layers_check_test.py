#!/usr/bin/env python3
"""The layering check passes on the program's tree and refuses a wrong-way include, naming it."""
import os
import subprocess
import sys
import tempfile

source = os.environ["SKYT_SOURCE_DIR"]
check = os.path.join(source, "tools", "check_layers.py")


def run(root):
    return subprocess.run([sys.executable, check, root], capture_output=True, text=True)


ok = run(source)
assert ok.returncode == 0, "the program's tree has wrong-way includes:\n" + ok.stdout

with tempfile.TemporaryDirectory() as root:
    os.makedirs(os.path.join(root, "sound"))
    os.makedirs(os.path.join(root, "app"))
    with open(os.path.join(root, "sound", "mixer.cpp"), "w") as f:
        f.write('#include "sound/mixer.h"\n#include "frame/paths.h"\n#include "drumming/drumkit.h"\n')
    with open(os.path.join(root, "app", "main.cpp"), "w") as f:
        f.write('#include "screens/screens.h"\n')
    bad = run(root)
    assert bad.returncode == 1, bad
    assert bad.stdout.strip() == "sound/mixer.cpp:3: sound/ may not include drumming/drumkit.h (drumming/ stands above it)", bad.stdout
