"""Pictures of the drawing style, the screens and the set-up wizard that carry no language."""
import math

from svgkit import document, fit_size, linear, radial, text, text_width

INK = "#3d3c3a"


def _slash(w, h, width=4.5):
    # A crossing-out stroke with a light halo so it reads over the glyph.
    return ('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#f4f3f1" stroke-width="%.1f" stroke-linecap="round"/>'
            '<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#c8302a" stroke-width="%.1f" stroke-linecap="round"/>'
            % (w * 0.18, h * 0.86, w * 0.82, h * 0.14, width + 3, w * 0.18, h * 0.86, w * 0.82, h * 0.14, width))


def home(w, h):
    cx = w / 2
    body = ('<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f" fill="none" stroke="%s" stroke-width="4" stroke-linecap="round" stroke-linejoin="round"/>'
            '<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f L %.1f %.1f L %.1f %.1f L %.1f %.1f Z" fill="%s"/>'
            '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="1" fill="#f4f3f1"/>'
            % (cx - 19, 21, cx, 5, cx + 19, 21, INK,
               cx - 13, 19, cx, 9, cx + 13, 19, cx + 13, 37, cx - 13, 37, cx - 13, 19, INK,
               cx - 4, 25, 8, 12))
    return document(w, h, body)


def _screen_arrows(w, h, outward):
    """Four corner brackets: pointing out of the frame (to full screen) or into it (to a window)."""
    cx, cy = w / 2, h / 2
    rw, rh, arm = 22, 15, 9
    parts = []
    for sx in (-1, 1):
        for sy in (-1, 1):
            if outward:
                x, y, dx, dy = cx + sx * rw, cy + sy * rh, -sx, -sy
            else:
                x, y, dx, dy = cx + sx * (rw - arm - 3), cy + sy * (rh - arm + 1), sx, sy
            parts.append('<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f" fill="none" stroke="%s" stroke-width="4" '
                         'stroke-linecap="round" stroke-linejoin="round"/>'
                         % (x + dx * arm, y, x, y, x, y + dy * arm, INK))
    if not outward:
        parts.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="2" fill="none" stroke="%s" stroke-opacity="0.45" stroke-width="2"/>'
                     % (cx - rw, cy - rh, 2 * rw, 2 * rh, INK))
    return document(w, h, "\n".join(parts))


def letter_icon(w, h, s, crossed):
    size = fit_size(s, 34, w - 6, bold=True)
    body = text(w / 2, h / 2 + size * 0.36, s, size, fill=INK, bold=True, anchor="middle")
    if crossed:
        body += _slash(w, h)
    return document(w, h, body)


def background(w, h):
    defs = (radial("bg", [("0", "#fbfaf8", "1"), ("0.65", "#efeeec", "1"), ("1", "#d9d8d5", "1")], cx="50%", cy="40%", r="75%") +
            radial("glow", [("0", "#ffffff", "0.8"), ("1", "#ffffff", "0")]))
    parts = ['<rect width="%d" height="%d" fill="url(#bg)"/>' % (w, h)]
    # Faint cymbal-like rings at the lower right.
    for i in range(18):
        parts.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="none" stroke="#b8b6b2" stroke-opacity="%.3f" stroke-width="1.2"/>'
                     % (w * 0.92, h * 1.02, 60 + i * 22, 0.16 * (1 - i / 18)))
    for i in range(10):
        parts.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="none" stroke="#b8b6b2" stroke-opacity="%.3f" stroke-width="1"/>'
                     % (w * 0.04, h * 0.9, 30 + i * 18, 0.1 * (1 - i / 10)))
    parts.append('<ellipse cx="%.1f" cy="%.1f" rx="%.1f" ry="%.1f" fill="url(#glow)"/>' % (w / 2, h * 0.17, w * 0.5, h * 0.16))
    return document(w, h, "\n".join(parts), defs)


def _stick_with_light(x0, y0, x1, y1, t, glow_id):
    ang = math.degrees(math.atan2(y1 - y0, x1 - x0))
    length = math.hypot(x1 - x0, y1 - y0)
    return ('<g transform="translate(%.1f %.1f) rotate(%.2f)">'
            '<path d="M 0 %.1f L %.1f %.1f L %.1f %.1f L 0 %.1f Z" fill="url(#wood)" stroke="#6b4a1e" stroke-width="2"/>'
            '<circle cx="%.1f" cy="0" r="%.1f" fill="url(#%s)"/>'
            '<circle cx="%.1f" cy="0" r="%.1f" fill="#ff5a3c" stroke="#b8261a" stroke-width="2"/>'
            '<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#ffffff" fill-opacity="0.8"/></g>'
            % (x0, y0, ang, -t, length, -t * 0.55, length, t * 0.55, t,
               length, t * 4.2, glow_id, length, t * 1.25, length - t * 0.35, -t * 0.4, t * 0.4))


def title(w, h):
    """The program's name as the title artwork of the main screen."""
    word = "Skytapper"
    size = fit_size(word, 230, w - 330, bold=True)
    tw = text_width(word, size, bold=True)
    x0 = w - 20 - tw
    defs = (linear("word", [("0", "#2c3e57", "1"), ("0.55", "#3f6ea8", "1"), ("1", "#6aa7e0", "1")], x1="0", y1="0", x2="1", y2="0") +
            linear("wood", [("0", "#f1d6a0", "1"), ("1", "#b98946", "1")]) +
            radial("tipglow", [("0", "#ff8a5c", "0.9"), ("0.4", "#ff5a3c", "0.35"), ("1", "#ff5a3c", "0")]))
    parts = [
        _stick_with_light(40, h - 30, 232, 70, 11, "tipglow"),
        _stick_with_light(250, h - 22, 118, 60, 11, "tipglow"),
        # Motion arcs of a stroke.
        '<path d="M 268 78 A 120 120 0 0 1 300 160" fill="none" stroke="#6aa7e0" stroke-width="7" stroke-linecap="round" stroke-opacity="0.55"/>',
        '<path d="M 290 58 A 150 150 0 0 1 330 172" fill="none" stroke="#6aa7e0" stroke-width="5" stroke-linecap="round" stroke-opacity="0.3"/>',
        # Soft shadow, then the word.
        text(x0 + 5, h * 0.72 + 6, word, size, fill="#000000", bold=True, extra='fill-opacity="0.12"'),
        text(x0, h * 0.72, word, size, fill="url(#word)", bold=True),
    ]
    return document(w, h, "\n".join(parts), defs)


LANGUAGE_ROWS = [("en", "English"), ("ja", "日本語"), ("de", "Deutsch"), ("fr", "Français"), ("es", "Español"),
                 ("tr", "Türkçe"), ("id", "Bahasa Indonesia"), ("it", "Italiano"), ("ru", "Русский"),
                 ("zh", "简体中文"), ("ko", "한국어")]
# Centre of each row, level with the 24-pixel check boxes the languages screen puts beside the
# picture (drawn at its natural size, moved 248 pixels left and 8 up from the usual place).
LANGUAGE_ROW_CENTRES = [7, 44, 81, 118, 153, 188, 224, 261, 297, 333, 369]


def languages_list(w, h):
    parts = []
    for (code, name), cy in zip(LANGUAGE_ROWS, LANGUAGE_ROW_CENTRES):
        size = 20
        lang = code if code in ("ja", "zh", "ko") else "en"
        parts.append(text(14, max(cy + size * 0.36, 16), name, size, lang=lang, fill=INK))
    return document(w, h, "\n".join(parts))


# ---- Set-up wizard -------------------------------------------------------------------------

def _figure(cx, base_y, scale, flip, stroke="#ffffff", fill="#ffffff", fill_op=0.22, width=7):
    """A seated drummer seen from the camera, holding two sticks; flip mirrors it."""
    s = scale
    g = []
    f = -1 if flip else 1
    def P(x, y):
        return "%.1f %.1f" % (cx + f * x * s, base_y + y * s)
    style = 'fill="%s" fill-opacity="%.2f" stroke="%s" stroke-width="%.1f" stroke-linejoin="round" stroke-linecap="round"' % (fill, fill_op, stroke, width)
    line = 'fill="none" stroke="%s" stroke-width="%.1f" stroke-linecap="round" stroke-linejoin="round"' % (stroke, width)
    # Seat.
    g.append('<path d="M %s L %s L %s L %s Z" %s/>' % (P(-70, -150), P(70, -150), P(60, -128), P(-60, -128), style))
    g.append('<path d="M %s L %s M %s L %s M %s L %s" %s/>' % (P(0, -128), P(0, -20), P(0, -20), P(-55, 0), P(0, -20), P(55, 0), line))
    # Legs: thighs forward, shins down to the feet.
    g.append('<path d="M %s L %s L %s L %s" %s/>' % (P(-35, -160), P(-85, -150), P(-105, -10), P(-130, 0), line))
    g.append('<path d="M %s L %s L %s L %s" %s/>' % (P(35, -160), P(90, -150), P(110, -10), P(140, 0), line))
    # Torso.
    g.append('<path d="M %s L %s Q %s %s Q %s %s L %s Q %s %s Z" %s/>'
             % (P(-55, -165), P(-62, -330), P(-60, -360), P(-20, -362), P(60, -360), P(62, -330),
                P(55, -165), P(0, -155), P(-55, -165), style))
    # Head and neck.
    g.append('<path d="M %s L %s" %s/>' % (P(0, -362), P(0, -380), line))
    g.append('<ellipse cx="%.1f" cy="%.1f" rx="%.1f" ry="%.1f" %s/>' % (cx + f * 4 * s, base_y - 420 * s, 34 * s, 42 * s, style))
    # Arms with sticks pointing forward and down.
    g.append('<path d="M %s L %s L %s" %s/>' % (P(-58, -345), P(-95, -260), P(-55, -215), line))
    g.append('<path d="M %s L %s L %s" %s/>' % (P(58, -345), P(98, -262), P(60, -218), line))
    g.append('<path d="M %s L %s" fill="none" stroke="#ffd34d" stroke-width="%.1f" stroke-linecap="round"/>' % (P(-50, -212), P(-165, -262), width * 0.8))
    g.append('<path d="M %s L %s" fill="none" stroke="#ffd34d" stroke-width="%.1f" stroke-linecap="round"/>' % (P(55, -215), P(175, -268), width * 0.8))
    for x, y in ((-165, -262), (175, -268)):
        g.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#ff4a3c" stroke="#ffffff" stroke-width="2"/>' % (cx + f * x * s, base_y + y * s, 9 * s))
    return "\n".join(g)


def drummer_sitting(w, h, left):
    # The drawn drummer sits a little off centre, as the camera sees a drummer placed at its side.
    cx = w * (0.58 if left else 0.42)
    body = _figure(cx, h * 0.95, 1.4, flip=left, stroke="#202020", fill="#202020", fill_op=0.0, width=15)
    body += _figure(cx, h * 0.95, 1.4, flip=left, width=8)
    return document(w, h, body)


def _shoe(cx, cy, s, flip, fill):
    f = -1 if flip else 1
    def P(x, y):
        return "%.1f %.1f" % (cx + f * x * s, cy + y * s)
    d = ("M %s C %s %s %s C %s %s %s C %s %s %s C %s %s %s Z"
         % (P(0, -100), P(30, -100), P(42, -60), P(38, -20), P(34, 30), P(30, 70), P(22, 95),
            P(10, 112), P(-22, 112), P(-28, 90), P(-36, 40), P(-38, -100), P(0, -100)))
    return ('<path d="%s" fill="%s" stroke="#1e1e1e" stroke-width="4"/>'
            '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="%.1f" fill="#ff4a3c" stroke="#ffffff" stroke-width="3"/>'
            % (d, fill, cx - 14 * s, cy - 30 * s, 28 * s, 28 * s, 6 * s))


def foot_icon(w, h, right, too_near):
    """A foot with its marker and an arrow showing which way to move it (towards or away from the camera)."""
    foot_x = w * (0.7 if right else 0.3)
    arrow_x = w * (0.3 if right else 0.7)
    parts = ['<rect x="4" y="4" width="%d" height="%d" rx="28" fill="#ffffff" fill-opacity="0.82" stroke="#3d3c3a" stroke-opacity="0.5" stroke-width="3"/>' % (w - 8, h - 8),
             _shoe(foot_x, h / 2, 1.0, flip=not right, fill="#d7d4ce")]
    # Up in the camera picture is away from the camera.
    up = too_near
    y0, y1 = (h * 0.82, h * 0.18) if up else (h * 0.18, h * 0.82)
    d = 1 if y1 > y0 else -1
    parts.append('<path d="M %.1f %.1f L %.1f %.1f" stroke="#2f7fd8" stroke-width="26" stroke-linecap="round"/>'
                 '<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f Z" fill="#2f7fd8" stroke="#2f7fd8" stroke-width="8" stroke-linejoin="round"/>'
                 % (arrow_x, y0, arrow_x, y1 - d * 40, arrow_x - 52, y1 - d * 52, arrow_x + 52, y1 - d * 52, arrow_x, y1))
    # The line the foot belongs on.
    parts.append('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#10bd1d" stroke-width="6" stroke-dasharray="14 10"/>'
                 % (foot_x - 70, h / 2 + (40 if too_near else -40) * -1 * (1 if up else 1), foot_x + 70, h / 2 + (-40 if too_near else 40)))
    return document(w, h, "\n".join(parts))


def stand_strip(w, h):
    """The camera stand in front of the drummer: feet on the two lines, centred on the mark."""
    parts = ['<rect x="4" y="4" width="%d" height="%d" rx="30" fill="#ffffff" fill-opacity="0.85" stroke="#3d3c3a" stroke-opacity="0.4" stroke-width="3"/>' % (w - 8, h - 8)]
    cx = w / 2
    # Floor in perspective.
    parts.append('<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f L %.1f %.1f Z" fill="#e6e2da" stroke="#b9b3a8" stroke-width="2"/>'
                 % (60, h - 40, w - 60, h - 40, w - 200, 150, 200, 150))
    # The stand: base, pole and camera at the far end.
    parts.append('<ellipse cx="%.1f" cy="%.1f" rx="70" ry="16" fill="#3d3c3a"/>' % (cx, 160))
    parts.append('<rect x="%.1f" y="%.1f" width="12" height="110" fill="#6b6a67"/>' % (cx - 6, 50))
    parts.append('<rect x="%.1f" y="%.1f" width="90" height="46" rx="16" fill="#2b2b2d"/>'
                 '<circle cx="%.1f" cy="%.1f" r="15" fill="#111" stroke="#7a8aa0" stroke-width="4"/>'
                 '<circle cx="%.1f" cy="%.1f" r="5" fill="#3f6ea8"/>'
                 % (cx - 45, 20, cx, 43, cx, 43))
    # The two foot lines and the centre target.
    ly = h - 105
    for x0, x1 in ((cx - 260, cx - 40), (cx + 40, cx + 260)):
        parts.append('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#10bd1d" stroke-width="10" stroke-linecap="round"/>' % (x0, ly, x1, ly))
    parts.append('<circle cx="%.1f" cy="%.1f" r="26" fill="none" stroke="#10bd1d" stroke-width="7"/>'
                 '<circle cx="%.1f" cy="%.1f" r="9" fill="#10bd1d"/>' % (cx, ly, cx, ly))
    # Feet standing on the lines.
    for x, flip in ((cx - 150, True), (cx + 150, False)):
        parts.append('<g opacity="0.9">%s</g>' % _shoe(x, ly - 30, 0.62, flip, "#d7d4ce"))
    # Dotted line from the mark to the stand.
    parts.append('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#3d3c3a" stroke-opacity="0.5" stroke-width="4" stroke-dasharray="6 10"/>'
                 % (cx, ly - 30, cx, 176))
    return document(w, h, "\n".join(parts))


def lens_setting(w, h):
    """The camera on its stand seen from the front; the lens ring turned clockwise to wide angle."""
    cx, cy = w / 2, h * 0.45
    parts = ['<rect x="4" y="4" width="%d" height="%d" rx="34" fill="#ffffff" fill-opacity="0.9" stroke="#3d3c3a" stroke-opacity="0.4" stroke-width="3"/>' % (w - 8, h - 8)]
    # Stand.
    parts.append('<rect x="%.1f" y="%.1f" width="24" height="%.1f" fill="#6b6a67"/>' % (cx - 12, cy + 60, h * 0.38))
    parts.append('<ellipse cx="%.1f" cy="%.1f" rx="110" ry="22" fill="#3d3c3a"/>' % (cx, h - 50))
    # Camera body.
    parts.append('<rect x="%.1f" y="%.1f" width="300" height="150" rx="60" fill="url(#cam)" stroke="#111" stroke-width="3"/>' % (cx - 150, cy - 75))
    # Lens ring with its grip and the wide-angle mark.
    parts.append('<circle cx="%.1f" cy="%.1f" r="62" fill="#1c1c1e" stroke="#9aa4b0" stroke-width="6"/>' % (cx, cy))
    for i in range(24):
        a = 2 * math.pi * i / 24
        parts.append('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="#55595f" stroke-width="3"/>'
                     % (cx + 52 * math.cos(a), cy + 52 * math.sin(a), cx + 60 * math.cos(a), cy + 60 * math.sin(a)))
    parts.append('<circle cx="%.1f" cy="%.1f" r="34" fill="url(#glass)" stroke="#000"/>' % (cx, cy))
    parts.append('<circle cx="%.1f" cy="%.1f" r="7" fill="#2f7fd8" stroke="#fff" stroke-width="2"/>' % (cx + 42 * math.cos(-0.6), cy + 42 * math.sin(-0.6)))
    parts.append('<circle cx="%.1f" cy="%.1f" r="7" fill="#d8302a" stroke="#fff" stroke-width="2"/>' % (cx + 42 * math.cos(-2.5), cy + 42 * math.sin(-2.5)))
    # LED.
    parts.append('<circle cx="%.1f" cy="%.1f" r="7" fill="#6fb0ff"/>' % (cx + 105, cy - 40))
    # Clockwise arrow round the ring.
    r = 96
    a0, a1 = math.radians(-150), math.radians(-20)
    parts.append('<path d="M %.1f %.1f A %d %d 0 0 1 %.1f %.1f" fill="none" stroke="#2f7fd8" stroke-width="14" stroke-linecap="round"/>'
                 % (cx + r * math.cos(a0), cy + r * math.sin(a0), r, r, cx + r * math.cos(a1), cy + r * math.sin(a1)))
    tip = (cx + r * math.cos(a1 + 0.22), cy + r * math.sin(a1 + 0.22))
    parts.append('<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f Z" fill="#2f7fd8"/>'
                 % (tip[0], tip[1], cx + (r - 24) * math.cos(a1 - 0.08), cy + (r - 24) * math.sin(a1 - 0.08),
                    cx + (r + 24) * math.cos(a1 - 0.08), cy + (r + 24) * math.sin(a1 - 0.08)))
    defs = (linear("cam", [("0", "#4a4a4e", "1"), ("0.5", "#232326", "1"), ("1", "#151517", "1")]) +
            radial("glass", [("0", "#5b7ca8", "1"), ("0.5", "#1d2a3c", "1"), ("1", "#050608", "1")], fx="38%", fy="35%"))
    return document(w, h, "\n".join(parts), defs)


def pictures():
    return {
        "background-light": (960, 720, lambda: background(960, 720)),
        "text": (1398, 281, lambda: title(1398, 281)),
        "home": (58, 42, lambda: home(58, 42)),
        "to-fullscreen": (58, 42, lambda: _screen_arrows(58, 42, True)),
        "to-windowed": (58, 42, lambda: _screen_arrows(58, 42, False)),
        "t": (39, 42, lambda: letter_icon(39, 42, "T", False)),
        "t-crossed": (39, 42, lambda: letter_icon(39, 42, "T", True)),
        "three-d": (60, 42, lambda: letter_icon(60, 42, "3D", False)),
        "three-d-crossed": (60, 42, lambda: letter_icon(60, 42, "3D", True)),
        "languages-list": (285, 387, lambda: languages_list(285, 387)),
        "drummer-sitting-left": (1024, 768, lambda: drummer_sitting(1024, 768, True)),
        "drummer-sitting-right": (1024, 768, lambda: drummer_sitting(1024, 768, False)),
        "right-foot-too-far": (512, 256, lambda: foot_icon(512, 256, True, False)),
        "right-foot-too-near": (512, 256, lambda: foot_icon(512, 256, True, True)),
        "left-foot-too-near": (512, 256, lambda: foot_icon(512, 256, False, True)),
        "left-foot-too-far": (512, 256, lambda: foot_icon(512, 256, False, False)),
        "stand-strip": (837, 400, lambda: stand_strip(837, 400)),
        "lens-setting-stand": (512, 512, lambda: lens_setting(512, 512)),
    }
