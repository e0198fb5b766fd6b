"""Drum and pedal pictures: top-down drawings on transparent ground."""
import math

from svgkit import document, linear, radial

SHELL_RED = ("#7a0f16", "#b3222b", "#5a0a10")


def _head_defs(uid):
    return (radial(uid + "head", [("0", "#fbf9f4", "1"), ("0.7", "#f1ede4", "1"), ("0.93", "#ddd6c8", "1"), ("1", "#c9c1b1", "1")],
                   fx="42%", fy="38%") +
            linear(uid + "hoop", [("0", "#f4f6f8", "1"), ("0.45", "#9aa3ad", "1"), ("0.55", "#cfd5db", "1"), ("1", "#5d6670", "1")],
                   x1="0", y1="0", x2="1", y2="1") +
            linear(uid + "lug", [("0", "#e9edf0", "1"), ("1", "#6f7780", "1")], x1="0", y1="0", x2="1", y2="1"))


def drum_top(cx, cy, r, uid, shell=SHELL_RED, lugs=8, snare=False):
    """A drum seen from above: lugs, shell edge, chrome hoop with tension rods, coated head."""
    parts = []
    # Lugs stick out of the shell below the hoop.
    for i in range(lugs):
        a = 2 * math.pi * (i + 0.5) / lugs
        lx, ly = cx + math.cos(a) * (r * 0.97), cy + math.sin(a) * (r * 0.97)
        deg = math.degrees(a)
        parts.append('<g transform="translate(%.2f %.2f) rotate(%.2f)">'
                     '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="url(#%slug)" stroke="#4a5058" stroke-width="%.2f"/></g>'
                     % (lx, ly, deg, -r * 0.02, -r * 0.075, r * 0.1, r * 0.15, r * 0.04, uid, max(0.8, r * 0.008)))
    # Shell edge (the wrap shows as a thin ring round the hoop).
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="%s" stroke="%s" stroke-width="%.2f"/>'
                 % (cx, cy, r * 0.95, shell[1], shell[2], max(1, r * 0.012)))
    # Hoop.
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%shoop)" stroke="#3f454c" stroke-width="%.2f"/>'
                 % (cx, cy, r * 0.9, uid, max(1, r * 0.012)))
    # Tension rods on the hoop.
    for i in range(lugs):
        a = 2 * math.pi * (i + 0.5) / lugs
        tx, ty = cx + math.cos(a) * r * 0.855, cy + math.sin(a) * r * 0.855
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#d8dde2" stroke="#3a4047" stroke-width="%.2f"/>'
                     % (tx, ty, r * 0.035, max(0.7, r * 0.008)))
    # Head with its collar.
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%shead)" stroke="#8f887b" stroke-width="%.2f"/>'
                 % (cx, cy, r * 0.8, uid, max(1, r * 0.01)))
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="none" stroke="#b9b1a2" stroke-opacity="0.55" stroke-width="%.2f"/>'
                 % (cx, cy, r * 0.74, max(1, r * 0.012)))
    if snare:
        # Playing spot: a slightly worn patch.
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#cfc6b4" fill-opacity="0.35"/>' % (cx - r * 0.1, cy + r * 0.12, r * 0.22))
    return "\n".join(parts)


def tom(w, h, uid):
    pad = 6
    r = min(w, h) / 2 - pad
    cx, cy = w / 2, h - pad - r
    # Holder block and arm on the far side of the tom (top of the picture).
    arm = ('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="#3b4047"/>'
           '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="url(#%slug)" stroke="#2c3036"/>'
           % (cx - r * 0.05, 2, r * 0.1, cy - r * 0.8, r * 0.04,
              cx - r * 0.13, cy - r * 1.0, r * 0.26, r * 0.14, r * 0.03, uid))
    return document(w, h, arm + drum_top(cx, cy, r, uid, lugs=6 if r < 120 else 8), _head_defs(uid))


def snare(w, h, uid="sn", with_stick=False):
    pad = 6
    r = min(w, h) / 2 - pad
    if with_stick:
        r = min(w, h) / 2 - 18
    cx, cy = w / 2, h / 2
    body = []
    # Strainer (throw-off) on the right side.
    body.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="#2f343a"/>'
                '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="url(#%slug)" stroke="#30353b"/>'
                % (cx + r * 0.9, cy - r * 0.05, r * 0.1, r * 0.1, 2,
                   cx + r * 0.88, cy - r * 0.1, r * 0.12, r * 0.2, r * 0.04, uid))
    body.append(drum_top(cx, cy, r, uid, shell=("#9aa3ad", "#c3cad1", "#5f6770"), lugs=10, snare=True))
    if with_stick:
        # Cross-stick grip: the butt over the hoop, the tip resting on the head.
        body.append(stick(cx + r * 0.98, cy + r * 0.5, cx - r * 0.62, cy - r * 0.2, r * 0.1, uid))
    defs = _head_defs(uid) + linear(uid + "wood", [("0", "#f3d9a6", "1"), ("0.5", "#d9b274", "1"), ("1", "#a7793d", "1")])
    return document(w, h, "\n".join(body), defs)


def stick(x0, y0, x1, y1, thick, uid):
    """A wooden drumstick from butt (x0, y0) to tip (x1, y1)."""
    length = math.hypot(x1 - x0, y1 - y0)
    deg = math.degrees(math.atan2(y1 - y0, x1 - x0))
    t = thick
    path = ("M 0 %.2f L %.2f %.2f Q %.2f 0 %.2f %.2f L %.2f %.2f Q %.2f 0 %.2f %.2f Z"
            % (-t, length * 0.72, -t, length * 0.9, length - t * 0.9, -t * 0.35,
               length - t * 0.9, t * 0.35, length * 0.9, length * 0.72, t))
    return ('<g transform="translate(%.2f %.2f) rotate(%.2f)">'
            '<path d="%s" fill="url(#%swood)" stroke="#7a5424" stroke-width="1"/>'
            '<ellipse cx="%.2f" cy="0" rx="%.2f" ry="%.2f" fill="#e9c98e" stroke="#7a5424" stroke-width="1"/>'
            '<ellipse cx="0" cy="0" rx="%.2f" ry="%.2f" fill="#c99a5a" stroke="#7a5424" stroke-width="1"/></g>'
            % (x0, y0, deg, path, uid, length - t * 0.7, t * 0.7, t * 0.5, t * 0.35, t))


def bass_drum(w, h, uid="bd"):
    """A kick drum lying on its side, seen from above: its axis points at the drummer."""
    sx0, sx1 = w * 0.1, w * 0.9
    sy0, sy1 = h * 0.12, h * 0.88
    hoop = h * 0.075
    parts = []
    # Spurs at the front corners.
    for side in (-1, 1):
        x = sx0 if side < 0 else sx1
        parts.append('<line x1="%.2f" y1="%.2f" x2="%.2f" y2="%.2f" stroke="#59616a" stroke-width="%.2f" stroke-linecap="round"/>'
                     '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#22262b"/>'
                     % (x, sy0 + hoop * 2, x + side * w * 0.085, sy0 - h * 0.05, w * 0.02,
                        x + side * w * 0.085, sy0 - h * 0.05, w * 0.022))
    # Shell, shaded as a cylinder.
    parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" fill="url(#%sshell)" stroke="#3a060a" stroke-width="1.5"/>'
                 % (sx0, sy0, sx1 - sx0, sy1 - sy0, uid))
    # Lugs: a row of tension rods at each end.
    n = 8
    for i in range(n):
        x = sx0 + (sx1 - sx0) * (i + 0.5) / n
        for y, d in ((sy0 + hoop, 1), (sy1 - hoop, -1)):
            parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="2" fill="url(#%slug)" stroke="#3b4148" stroke-width="0.8"/>'
                         % (x - w * 0.012, y if d > 0 else y - h * 0.1, w * 0.024, h * 0.1, uid))
    # Wooden hoops at the batter (near) and front (far) ends.
    for y in (sy0 - hoop * 0.3, sy1 - hoop * 0.7):
        parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" fill="url(#%shoop)" stroke="#20252a" stroke-width="1.2"/>'
                     % (sx0 - w * 0.012, y, sx1 - sx0 + w * 0.024, hoop, hoop * 0.3, uid))
    # Pedal clamp on the near hoop.
    parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="3" fill="#2d3136"/>'
                 % (w / 2 - w * 0.05, sy1 - hoop * 0.2, w * 0.1, h * 0.1))
    defs = (linear(uid + "shell", [("0", SHELL_RED[2], "1"), ("0.3", SHELL_RED[1], "1"), ("0.5", "#d0454c", "1"),
                                   ("0.7", SHELL_RED[1], "1"), ("1", SHELL_RED[2], "1")], x1="0", y1="0", x2="1", y2="0") +
            linear(uid + "hoop", [("0", "#4d5157", "1"), ("0.5", "#191b1e", "1"), ("1", "#3a3e43", "1")]) +
            linear(uid + "lug", [("0", "#eef1f3", "1"), ("1", "#7d858e", "1")], x1="0", y1="0", x2="1", y2="0"))
    return document(w, h, "\n".join(parts), defs)


def cymbal(w, h, uid, tone, bell=0.22, rings=34, china=False, clutch=False, rod=False, r_scale=1.0):
    r = min(w, h) / 2 - 3
    r *= r_scale
    cx, cy = w / 2, h / 2
    light, mid, dark = tone
    parts = []
    if china:
        # Upturned flange: a darker band round the playing surface.
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sflange)" stroke="%s" stroke-width="1.5"/>'
                     % (cx, cy, r, uid, dark))
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sbody)"/>' % (cx, cy, r * 0.84, uid))
    else:
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sbody)" stroke="%s" stroke-width="1.2"/>'
                     % (cx, cy, r, uid, dark))
    # Lathe grooves.
    inner = r * bell * 1.05
    for i in range(rings):
        rr = inner + (r * (0.84 if china else 0.985) - inner) * (i + 0.5) / rings
        colour = "#fff3c4" if i % 2 else "#5a3c10"
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="none" stroke="%s" stroke-opacity="0.16" stroke-width="%.2f"/>'
                     % (cx, cy, rr, colour, max(0.6, r / rings * 0.45)))
    # Light sweep across the surface.
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sshine)"/>' % (cx, cy, r * (0.84 if china else 1.0), uid))
    # Bell.
    if china:
        # Flat-topped bell: a raised rim round a plateau.
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sbell)" stroke="%s" stroke-width="1.5"/>'
                     '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="none" stroke="%s" stroke-opacity="0.7" stroke-width="1"/>'
                     % (cx, cy, r * bell, uid, dark, cx, cy, r * bell * 0.7, dark))
    else:
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sbell)" stroke="%s" stroke-opacity="0.6" stroke-width="1"/>'
                     % (cx, cy, r * bell, uid, dark))
    # Felt, washer and wing nut (or the hi-hat clutch, or the stand's rod).
    if clutch:
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#2b2f34"/><circle cx="%.2f" cy="%.2f" r="%.2f" fill="#9aa2ab" stroke="#2b2f34"/>'
                     '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="2" fill="#c9cfd5" stroke="#2b2f34"/>'
                     % (cx, cy, r * 0.1, cx, cy, r * 0.055, cx - r * 0.16, cy - r * 0.025, r * 0.32, r * 0.05))
    elif rod:
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#7b5a2e"/><circle cx="%.2f" cy="%.2f" r="%.2f" fill="#b7bec5" stroke="#30353a"/>'
                     % (cx, cy, r * 0.075, cx, cy, r * 0.035))
    else:
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#4a4f55"/>'
                     '<path d="M %.2f %.2f L %.2f %.2f" stroke="#b8c0c8" stroke-width="%.2f" stroke-linecap="round"/>'
                     '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#d5dbe0" stroke="#30353a"/>'
                     % (cx, cy, r * 0.075, cx - r * 0.11, cy, cx + r * 0.11, cy, r * 0.04, cx, cy, r * 0.035))
    defs = (radial(uid + "body", [("0", light, "1"), ("0.35", mid, "1"), ("0.9", dark, "1"), ("1", dark, "1")]) +
            radial(uid + "flange", [("0.8", dark, "1"), ("0.9", mid, "1"), ("1", dark, "1")]) +
            radial(uid + "bell", [("0", "#fff6d2", "1"), ("0.6", light, "1"), ("1", mid, "1")], fx="40%", fy="35%") +
            linear(uid + "shine", [("0", "#ffffff", "0.35"), ("0.45", "#ffffff", "0"), ("0.55", "#000000", "0"),
                                   ("1", "#000000", "0.22")], x1="0", y1="0", x2="1", y2="1"))
    return document(w, h, "\n".join(parts), defs)


BRIGHT = ("#f7d98c", "#d9a84a", "#9c6a1e")
DARK = ("#e3c27a", "#b98a3a", "#6f4a14")
CHINA = ("#eac27c", "#c48f3f", "#6e4313")


def ride_bell(w, h, uid="rb"):
    # Close-up of the ride's bell; the lathed bow fades out towards the edge.
    r = min(w, h) / 2 - 2
    cx, cy = w / 2, h / 2
    parts = ['<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sbow)"/>' % (cx, cy, r, uid)]
    for i in range(8):
        rr = r * (0.62 + 0.045 * i)
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="none" stroke="#5a3c10" stroke-opacity="%.2f" stroke-width="1"/>'
                     % (cx, cy, rr, 0.3 * (1 - i / 8)))
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sbell)" stroke="#6f4a14" stroke-width="1.5"/>' % (cx, cy, r * 0.58, uid))
    parts.append('<ellipse cx="%.2f" cy="%.2f" rx="%.2f" ry="%.2f" fill="#ffffff" fill-opacity="0.35" transform="rotate(-35 %.2f %.2f)"/>'
                 % (cx - r * 0.2, cy - r * 0.22, r * 0.22, r * 0.1, cx - r * 0.2, cy - r * 0.22))
    parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#4a4f55"/><circle cx="%.2f" cy="%.2f" r="%.2f" fill="#d5dbe0" stroke="#30353a"/>'
                 % (cx, cy, r * 0.12, cx, cy, r * 0.055))
    defs = (radial(uid + "bow", [("0", "#c89a48", "1"), ("0.75", "#a87a30", "1"), ("0.92", "#a87a30", "0.85"), ("1", "#a87a30", "0")]) +
            radial(uid + "bell", [("0", "#fff6d2", "1"), ("0.55", "#efcf7e", "1"), ("1", "#b98a3a", "1")], fx="40%", fy="35%"))
    return document(w, h, "\n".join(parts), defs)


def cowbell(w, h, uid="cb"):
    """A cowbell from above: mouth towards the drummer (bottom), clamp at the closed end."""
    cx = w / 2
    top, bottom = h * 0.14, h * 0.95
    nw, ww = w * 0.42, w * 0.86
    body = ("M %.2f %.2f L %.2f %.2f Q %.2f %.2f %.2f %.2f L %.2f %.2f Q %.2f %.2f %.2f %.2f Z"
            % (cx - nw / 2, top, cx + nw / 2, top, cx + ww / 2 + 2, bottom - h * 0.3, cx + ww / 2, bottom,
               cx - ww / 2, bottom, cx - ww / 2 - 2, bottom - h * 0.3, cx - nw / 2, top))
    parts = ['<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="4" fill="#3a3f45" stroke="#1b1e21"/>'
             % (cx - w * 0.12, 2, w * 0.24, h * 0.16),
             '<path d="%s" fill="url(#%sbody)" stroke="#101214" stroke-width="2"/>' % (body, uid),
             '<path d="M %.2f %.2f L %.2f %.2f" stroke="#ffffff" stroke-opacity="0.45" stroke-width="%.2f" stroke-linecap="round"/>'
             % (cx - nw * 0.25, top + h * 0.06, cx - ww * 0.3, bottom - h * 0.08, w * 0.06),
             # The open mouth, seen edge-on.
             '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="3" fill="#121416"/>'
             % (cx - ww / 2 + 3, bottom - h * 0.045, ww - 6, h * 0.04)]
    defs = linear(uid + "body", [("0", "#5b636b", "1"), ("0.35", "#2a2f34", "1"), ("0.7", "#1a1d20", "1"), ("1", "#444b52", "1")],
                  x1="0", y1="0", x2="1", y2="0")
    return document(w, h, "\n".join(parts), defs)


def tambourine(w, h, uid="tb"):
    r = min(w, h) / 2 - 4
    cx, cy = w / 2, h / 2
    parts = ['<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sframe)" stroke="#5b3a14" stroke-width="2"/>' % (cx, cy, r, uid),
             '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sskin)" stroke="#8a6a3a" stroke-width="1.5"/>' % (cx, cy, r * 0.78, uid)]
    for i in range(5):
        a = 2 * math.pi * i / 5 - math.pi / 2
        jx, jy = cx + math.cos(a) * r * 0.89, cy + math.sin(a) * r * 0.89
        deg = math.degrees(a) + 90
        parts.append('<g transform="translate(%.2f %.2f) rotate(%.2f)">'
                     '<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="2" fill="#2a1a08"/>'
                     '<circle cx="%.2f" cy="0" r="%.2f" fill="url(#%sjingle)" stroke="#50575e"/>'
                     '<circle cx="%.2f" cy="0" r="%.2f" fill="url(#%sjingle)" stroke="#50575e"/></g>'
                     % (jx, jy, deg, -r * 0.3, -r * 0.07, r * 0.6, r * 0.14,
                        -r * 0.13, r * 0.1, uid, r * 0.13, r * 0.1, uid))
    defs = (radial(uid + "frame", [("0.8", "#c08a45", "1"), ("0.9", "#e0b06a", "1"), ("1", "#8a5a22", "1")]) +
            radial(uid + "skin", [("0", "#f6ecd4", "1"), ("0.8", "#ead8b0", "1"), ("1", "#cdb587", "1")], fx="42%", fy="38%") +
            radial(uid + "jingle", [("0", "#ffffff", "1"), ("0.6", "#c9d0d6", "1"), ("1", "#7d868f", "1")], fx="35%", fy="35%"))
    return document(w, h, "\n".join(parts), defs)


def beater(w, h, uid="bt"):
    r = min(w, h) / 2 - 2
    cx, cy = w / 2, h / 2
    parts = ['<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%sfelt)" stroke="#5e5a52" stroke-width="1.5"/>' % (cx, cy, r, uid),
             '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#2a2d31"/>' % (cx, cy, r * 0.35),
             '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="#c3c9cf"/>' % (cx, cy, r * 0.15)]
    defs = radial(uid + "felt", [("0", "#ffffff", "1"), ("0.75", "#eeeae2", "1"), ("1", "#bdb6a8", "1")], fx="40%", fy="38%")
    return document(w, h, "\n".join(parts), defs)


def pedal(w, h, uid="pd"):
    """A kick pedal from above: frame and beater axle at the far end, footboard, heel plate."""
    cx = w / 2
    parts = []
    # Frame: base plate and the two posts with the axle.
    parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="5" fill="#3a3f45" stroke="#16191c" stroke-width="1.5"/>'
                 % (w * 0.06, h * 0.03, w * 0.88, h * 0.16))
    for x in (w * 0.16, w * 0.84):
        parts.append('<circle cx="%.2f" cy="%.2f" r="%.2f" fill="url(#%smetal)" stroke="#16191c"/>' % (x, h * 0.1, w * 0.11, uid))
    parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" fill="url(#%smetal)" stroke="#16191c"/>'
                 % (w * 0.16, h * 0.085, w * 0.68, h * 0.03, uid))
    parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="3" fill="#22262a"/>'
                 % (cx - w * 0.1, h * 0.16, w * 0.2, h * 0.09))
    # Footboard.
    board = ("M %.2f %.2f L %.2f %.2f L %.2f %.2f Q %.2f %.2f %.2f %.2f L %.2f %.2f Q %.2f %.2f %.2f %.2f Z"
             % (cx - w * 0.3, h * 0.22, cx + w * 0.3, h * 0.22, cx + w * 0.38, h * 0.78, cx + w * 0.38, h * 0.82,
                cx + w * 0.3, h * 0.82, cx - w * 0.3, h * 0.82, cx - w * 0.38, h * 0.82, cx - w * 0.38, h * 0.78))
    parts.append('<path d="%s" fill="url(#%sboard)" stroke="#16191c" stroke-width="1.5"/>' % (board, uid))
    for i in range(9):
        y = h * (0.29 + i * 0.055)
        parts.append('<line x1="%.2f" y1="%.2f" x2="%.2f" y2="%.2f" stroke="#0f1113" stroke-opacity="0.55" stroke-width="2"/>'
                     % (cx - w * 0.24, y, cx + w * 0.24, y))
    # Heel plate.
    parts.append('<rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="6" fill="url(#%smetal)" stroke="#16191c" stroke-width="1.5"/>'
                 % (cx - w * 0.36, h * 0.83, w * 0.72, h * 0.15, uid))
    defs = (linear(uid + "metal", [("0", "#e5e9ec", "1"), ("1", "#6b737c", "1")], x1="0", y1="0", x2="1", y2="1") +
            linear(uid + "board", [("0", "#5d656d", "1"), ("0.5", "#8e979f", "1"), ("1", "#50575f", "1")], x1="0", y1="0", x2="1", y2="0"))
    return document(w, h, "\n".join(parts), defs)


def pictures():
    """key -> (width, height, make)"""
    return {
        "bass-drum": (354, 264, lambda: bass_drum(354, 264)),
        "beater": (58, 58, lambda: beater(58, 58)),
        "big-tom": (296, 313, lambda: tom(296, 313, "t3")),
        "biggest-tom": (314, 332, lambda: tom(314, 332, "t4")),
        "china": (344, 343, lambda: cymbal(344, 343, "ch", CHINA, bell=0.2, rings=26, china=True)),
        "cowbell": (128, 184, lambda: cowbell(128, 184)),
        "crash": (348, 348, lambda: cymbal(348, 348, "cr", BRIGHT, bell=0.2)),
        "cross-stick": (304, 272, lambda: snare(304, 272, "cs", with_stick=True)),
        "hihat-bottom": (296, 296, lambda: cymbal(296, 296, "hb", DARK, bell=0.24, rings=26, rod=True)),
        "hihat-top": (296, 296, lambda: cymbal(296, 296, "ht", BRIGHT, bell=0.24, rings=26, clutch=True)),
        "medium-tom": (270, 286, lambda: tom(270, 286, "t2")),
        "pedal": (106, 259, lambda: pedal(106, 259)),
        "ride": (398, 398, lambda: cymbal(398, 398, "rd", DARK, bell=0.25, rings=44)),
        "ride-bell": (128, 128, lambda: ride_bell(128, 128)),
        "small-tom": (244, 258, lambda: tom(244, 258, "t1")),
        "smallest-tom": (214, 226, lambda: tom(214, 226, "t0")),
        "snare": (318, 315, lambda: snare(318, 315)),
        "splash": (224, 224, lambda: cymbal(224, 224, "sp", BRIGHT, bell=0.18, rings=20)),
        "tambourine": (240, 236, lambda: tambourine(240, 236)),
    }
