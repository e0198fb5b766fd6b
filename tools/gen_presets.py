#!/usr/bin/env python3
"""Turns the preset tables assets/presets/kits.txt and midi_maps.txt into the C++ file that
holds the 14 preset kit texts and the 11 preset MIDI-map texts (CR LF line ends).

    gen_presets.py SOURCE_ROOT OUT_CPP

Besides the two tables it reads, from the source tree, the element manifest
(tools/elements/manifest.txt: each element's type and how it is played), the drum kit's
per-type defaults and calibration legend (drumming/drumkit.cpp) and the element-type words
(frame/element_types.h), so that each of these facts has one home. Any fault stops the build
with the file and line that hold it.
"""
import os
import re
import sys

FLOAT_KEYS = {"x", "y", "size", "foot_x", "foot_y", "foot_size", "pedal_lowest_foot_y", "pedal_foot_range",
              "hihat_splash_sensitivity", "hihat_clutch_openness", "midi_hand_filter_threshold",
              "midi_foot_filter_threshold", "midi_rimshot_threshold", "midi_bow_edge_threshold"}
HAND_KEYS = ["x", "y", "size", "Hand.Sensitivity", "volume", "volume_curve", "midi_hand_filter_threshold"]
FOOT_KEYS = ["foot_x", "foot_y", "foot_size", "pedal_lowest_foot_y", "pedal_foot_range", "Foot.Sensitivity",
             "volume", "volume_curve", "midi_foot_filter_threshold"]
HIHAT_KEYS = ["x", "y", "size", "Hand.Sensitivity", "foot_x", "foot_y", "foot_size", "pedal_lowest_foot_y",
              "pedal_foot_range", "Foot.Sensitivity", "volume", "volume2", "volume_curve", "volume_curve2",
              "hihat_splash_sensitivity", "hihat_clutch_openness", "midi_hand_filter_threshold",
              "midi_foot_filter_threshold", "midi_bow_edge_threshold"]
KEYS_OF_CATEGORY = {"hand": HAND_KEYS, "foot": FOOT_KEYS, "hand_and_foot": HIHAT_KEYS}
POSITION_FIELDS = {"hand": ["x", "y", "size"],
                   "foot": ["foot_x", "foot_y", "foot_size", "pedal_lowest_foot_y"],
                   "hihat": ["x", "y", "size", "foot_y", "foot_size", "pedal_lowest_foot_y"]}
# What the camera stand adds to a right-handed preset's pedals: the kick's, the hi-hats'.
STAND_SHIFT_KICK, STAND_SHIFT_OTHER = 31.0, 17.0


class SourceError(Exception):
    pass


def read_lines(path):
    """(line number, text) of the lines that are neither empty nor comments."""
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.strip()
            if line and not line.startswith("#"):
                yield n, line


# ---- Facts from the source tree -----------------------------------------------------------

def read_manifest(path):
    elements = {}
    for n, line in read_lines(path):
        fields = [f.strip() for f in line.split("|")]
        if len(fields) < 3:
            raise SourceError(f"{path}:{n}: expected NAME | TYPE | CATEGORY ...")
        elements[fields[0]] = (fields[1], fields[2])
    return elements


def read_type_words(path):
    with open(path, encoding="utf-8") as f:
        words = re.findall(r"^\s*([A-Z_0-9]+) = (\d+),", f.read(), re.M)
    return {w: int(v) for w, v in words if w != "NUM_ELEMENT_TYPES"}


def read_type_rows(path):
    """Per element type: hand sensitivity, volume, curve, foot sensitivity, volume2, curve2."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    row = re.compile(r'\{Sound::(\w+), \d+, "[^"]*", \d+, ([\d.]+), (\d+), (\d+), ([\d.]+), (\d+), (\d+)\}')
    rows = {m.group(1): {"Hand.Sensitivity": m.group(2), "volume": m.group(3), "volume_curve": m.group(4),
                         "Foot.Sensitivity": m.group(5), "volume2": m.group(6), "volume_curve2": m.group(7)}
            for m in row.finditer(text)}
    if len(rows) != 21:
        raise SourceError(f"{path}: expected the 21 rows of kTypeRows, found {len(rows)}")
    return rows


def read_legend(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    m = re.search(r"Drumkit::GetDrumkitCalibrationLegend\(\) \{\s*return(.*?);\s*\}", text, re.S)
    if not m:
        raise SourceError(f"{path}: GetDrumkitCalibrationLegend not found")
    pieces = re.findall(r'"((?:[^"\\]|\\.)*)"', m.group(1))
    return "".join(pieces).replace("\\n", "\n").replace("\\'", "'").replace('\\"', '"')


# ---- Kits ---------------------------------------------------------------------------------

def hand_filter_threshold(element_type):
    # As the drum kit's default for a drum without the key.
    if element_type in ("HIHAT", "HIHAT_SPLASH", "CRASH", "SPLASH", "RIDE", "RIDE_BELL", "CHINA"):
        return "0.030000"
    if element_type in ("COWBELL", "TAMBOURINE"):
        return "0.020000"
    return "0.010000"


def parse_values(text, where):
    values = {}
    for item in text.split():
        key, sep, value = item.partition("=")
        if not sep or not value:
            raise SourceError(f"{where}: expected KEY=VALUE, got '{item}'")
        values[key] = value
    return values


def read_kits(path):
    positions, kits, current = {}, [], None
    for n, line in read_lines(path):
        where = f"{path}:{n}"
        word, _, rest = line.partition(" ")
        if word == "positions":
            current = positions.setdefault(rest.strip(), [])
        elif word == "kit":
            fields = [f.strip() for f in rest.split("|")]
            if len(fields) != 3 or fields[2] not in positions:
                raise SourceError(f"{where}: expected kit FILE | NAME | POSITIONS (defined above)")
            current = {"file": fields[0], "name": fields[1], "positions": fields[2], "all": {}, "drums": [],
                       "where": where}
            kits.append(current)
        elif word in POSITION_FIELDS and isinstance(current, list):
            numbers = rest.split()
            if len(numbers) != len(POSITION_FIELDS[word]):
                raise SourceError(f"{where}: {word} takes {len(POSITION_FIELDS[word])} numbers")
            current.append((word, dict(zip(POSITION_FIELDS[word], numbers)), where))
        elif word == "all" and isinstance(current, dict):
            current["all"].update(parse_values(rest, where))
        elif word == "drum" and isinstance(current, dict):
            element, _, values = rest.partition("|")
            current["drums"].append((element.strip(), parse_values(values, where), where))
        else:
            raise SourceError(f"{where}: unexpected line")
    return positions, kits


def mirrored(place):
    out = dict(place)
    for key in ("x", "foot_x"):
        if key in out:
            out[key] = "%.6f" % (319.0 - float(out[key]))
    return out


def drum_place(kind, numbers):
    place = dict(numbers)
    if kind == "hihat":
        place["foot_x"] = place["x"]
    return place


def check_positions(name, drums, types):
    """The relations a playable preset keeps: hand drums in reach and apart, pedals apart and on
    the picture also when the camera stand shifts them."""
    hands = [(float(p["x"]), float(p["y"])) for _, p, _ in drums if "x" in p]
    pedals = [(float(p["foot_x"]), t) for (_, p, _), t in zip(drums, types) if "foot_x" in p]
    for kind, p, where in drums:
        if "x" in p and not (float(p["y"]) <= 180 and 2.2 <= float(p["size"]) <= 3.2):
            raise SourceError(f"{where}: a hand drum needs y <= 180 and size 2.2-3.2")
        if "foot_x" in p:
            y, lowest = float(p["foot_y"]), float(p["pedal_lowest_foot_y"])
            if not (215 <= y <= 230 and abs(lowest - y) <= 4 and 4.5 <= float(p["foot_size"]) <= 6.5):
                raise SourceError(f"{where}: a pedal needs foot_y 215-230, lowest within 4 of it, size 4.5-6.5")
    for i in range(len(hands)):
        for j in range(i):
            if ((hands[i][0] - hands[j][0]) ** 2 + (hands[i][1] - hands[j][1]) ** 2) ** 0.5 < 25:
                raise SourceError(f"positions {name}: hand drums {hands[j]} and {hands[i]} are closer than 25")
    shifted = [x + (STAND_SHIFT_KICK if t == "KICK" else STAND_SHIFT_OTHER) for x, t in pedals]
    for xs in ([x for x, _ in pedals], shifted):
        for i in range(len(xs)):
            if not 0 <= xs[i] <= 319:
                raise SourceError(f"positions {name}: a pedal at {xs[i]} leaves the picture")
            for j in range(i):
                if abs(xs[i] - xs[j]) < 45:
                    raise SourceError(f"positions {name}: pedals at {xs[j]} and {xs[i]} are closer than 45")


def kit_text(kit, hand, places, elements, type_rows, legend):
    lines = ["[Drumkit]", "Name = " + kit["name"].replace("{H}", hand), "Is_Preset = yes", ""]
    lines += ["Drum%d.element = %s" % (d, e) for d, (e, _, _) in enumerate(kit["drums"])]
    lines += ["", "[Drumkit calibration]", ""]
    lines += legend.split("\n")[:-1]
    lines += ["Left_Choke_Zone_Param1 = 200.000000", "Right_Choke_Zone_Param1 = 200.000000", ""]
    for d, (element, given, where) in enumerate(kit["drums"]):
        if element not in elements:
            raise SourceError(f"{where}: '{element}' is not an element of tools/elements/manifest.txt")
        element_type, category = elements[element]
        values = {"pedal_foot_range": "5.000000", "hihat_splash_sensitivity": "0.000000",
                  "hihat_clutch_openness": "100.000000", "midi_hand_filter_threshold": hand_filter_threshold(element_type),
                  "midi_foot_filter_threshold": "0.000000", "midi_rimshot_threshold": "1.000000",
                  "midi_bow_edge_threshold": "1.000000"}
        values.update(type_rows[element_type])
        values.update(places[d][1])
        values.update(kit["all"])
        values.update(given)
        keys = list(KEYS_OF_CATEGORY[category])
        if d == 0:
            keys.append("midi_rimshot_threshold")
        for key in keys:
            value = values[key]
            if key in FLOAT_KEYS and "." not in value:
                value = "%.6f" % float(value)
            lines.append("Drum%d.%s = %s" % (d, key, value))
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


def kit_texts(path, elements, type_rows, legend):
    positions, kits = read_kits(path)
    texts = []
    for kit in kits:
        places = [(kind, drum_place(kind, numbers), where) for kind, numbers, where in positions[kit["positions"]]]
        if len(places) != len(kit["drums"]):
            raise SourceError(f"{kit['where']}: {len(kit['drums'])} drums on {len(places)} positions")
        types = [elements.get(e, ("", ""))[0] for e, _, _ in kit["drums"]]
        check_positions(kit["positions"], places, types)
        for hand in ("LH", "RH"):
            hand_places = [(k, mirrored(p) if hand == "LH" else p, w) for k, p, w in places]
            texts.append((kit["file"].replace("{H}", hand),
                          kit_text(kit, hand, hand_places, elements, type_rows, legend)))
    return texts


# ---- MIDI maps ----------------------------------------------------------------------------

def parse_numbers(text, where):
    numbers = []
    for part in text.split(","):
        first, dash, last = part.strip().partition("-")
        if not first.isdigit() or (dash and not last.isdigit()):
            raise SourceError(f"{where}: bad placements '{text}'")
        numbers += range(int(first), int(last if dash else first) + 1)
    return numbers


def parse_group(text, where):
    """(numbers, notes, foot notes, openness controller) of one 'NUMBERS: NOTES ...' group."""
    numbers, colon, rest = text.partition(":")
    words = rest.split()
    if not colon or not words:
        raise SourceError(f"{where}: expected NUMBERS: NOTES [foot NOTE] [cc CONTROLLER] in '{text}'")
    notes, foot, cc = words[0].split("/"), [], "0"
    i = 1
    while i + 1 < len(words) and words[i] in ("foot", "cc"):
        if words[i] == "foot":
            foot.append(words[i + 1])
        else:
            cc = words[i + 1]
        i += 2
    if i != len(words):
        raise SourceError(f"{where}: cannot read '{text}'")
    return parse_numbers(numbers, where), notes, foot, cc


def map_entries(lines, words):
    entries = []
    for where, line in lines:
        word, _, groups = line.partition(" ")
        if word not in words:
            raise SourceError(f"{where}: '{word}' is no element type")
        for group in groups.split(";"):
            numbers, notes, foot, cc = parse_group(group, where)
            entries += [(words[word], n, word, notes, foot, cc) for n in numbers]
    entries.sort(key=lambda e: (e[0], e[1]))
    return entries


def map_text(name, entries, blank_after_last):
    lines = ["[MIDI map]", "", "Name = " + name, "Is_Preset = yes", "", "[Per element map]", "",
             "[Element type map]", ""]
    for i, (_, number, word, notes, foot, cc) in enumerate(entries):
        lines += ["Map%d.element_type = %s" % (i, word), "Map%d.number = %d" % (i, number), "Map%d.channel = 10" % i]
        lines += ["Map%d.note%d = %s" % (i, k, note) for k, note in enumerate(notes)]
        lines += ["Map%d.foot_note%d = %s" % (i, k, note) for k, note in enumerate(foot)]
        lines += ["Map%d.openness_cc = %s" % (i, cc), "Map%d.positional_cc1 = 0" % i, "Map%d.positional_cc2 = 0" % i]
        if blank_after_last or i + 1 < len(entries):
            lines.append("")
    return "\r\n".join(lines) + "\r\n"


def map_texts(path, words):
    maps = []
    for n, line in read_lines(path):
        where = f"{path}:{n}"
        if line.startswith("map "):
            fields = [f.strip() for f in line[4:].split("|")]
            same = fields[2][len("same as "):] if len(fields) == 3 and fields[2].startswith("same as ") else None
            if len(fields) not in (2, 3) or (len(fields) == 3 and same is None):
                raise SourceError(f"{where}: expected map FILE | NAME [| same as FILE]")
            earlier = [m for m in maps if m[0] == same]
            if same is not None and not earlier:
                raise SourceError(f"{where}: no map {same} above")
            maps.append([fields[0], fields[1], list(earlier[0][2]) if earlier else []])
        elif maps:
            maps[-1][2].append((where, line))
        else:
            raise SourceError(f"{where}: an entry before any map")
    # The Garage Band map ends without a blank line after its last entry.
    return [(f, map_text(name, map_entries(lines, words), f != "E_GB.ini")) for f, name, lines in maps]


# ---- Output -------------------------------------------------------------------------------

def c_literal(text):
    out = ['"']
    for b in text.encode("utf-8"):
        c = chr(b)
        if c == "\n":
            out.append('\\n"\n    "')
        elif c == "\r":
            out.append("\\r")
        elif c in '"\\':
            out.append("\\" + c)
        elif 32 <= b < 127:
            out.append(c)
        else:
            out.append("\\%03o" % b)
    out.append('"')
    return "".join(out)


def data_name(file_name):
    return file_name.replace(".", "_") + "_data"


def table(name, texts):
    out = [f"const PresetText {name}[{len(texts)}] = {{"]
    for file_name, _ in texts:
        out.append(f'    {{"{file_name}", {data_name(file_name)}, sizeof({data_name(file_name)}) - 1}},')
    return out + ["};", ""]


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    root, out_path = sys.argv[1], sys.argv[2]
    src = lambda *p: os.path.join(root, *p)
    try:
        elements = read_manifest(src("tools", "elements", "manifest.txt"))
        type_rows = read_type_rows(src("drumming", "drumkit.cpp"))
        legend = read_legend(src("drumming", "drumkit.cpp"))
        words = read_type_words(src("frame", "element_types.h"))
        kits = kit_texts(src("assets", "presets", "kits.txt"), elements, type_rows, legend)
        maps = map_texts(src("assets", "presets", "midi_maps.txt"), words)
    except (SourceError, OSError) as e:
        sys.stderr.write(f"error: {e}\n")
        return 1
    out = ["// Generated by tools/gen_presets.py from assets/presets/; do not edit.",
           '#include "assets/presets/preset_texts.h"', ""]
    for file_name, text in kits + maps:
        out.append(f"const char {data_name(file_name)}[] =\n    {c_literal(text)};")
    out.append("")
    out += table("preset_drumkits", kits) + table("preset_midi_maps", maps)
    content = "\n".join(out)
    os.makedirs(os.path.dirname(os.path.abspath(out_path)), exist_ok=True)
    if os.path.exists(out_path):
        with open(out_path, encoding="utf-8") as f:
            if f.read() == content:
                return 0
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(content)
    return 0


if __name__ == "__main__":
    sys.exit(main())
