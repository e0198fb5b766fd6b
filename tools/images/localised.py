"""The ten pictures that exist in every language: help pages, about page, set-up wizard pictures,
audio device picture. Each is drawn from one layout with the language's texts and font."""
import json
import math
import os
import re

from svgkit import document, fit_size, linear, radial, text, text_width, wrap

LANGS = ["en", "ja", "de", "fr", "es", "id", "tr", "it", "ru", "zh", "ko"]
SUFFIX = {"en": "", "ja": "-jp", "de": "-de", "fr": "-fr", "es": "-es", "id": "-id", "tr": "-tr",
          "it": "-it", "ru": "-ru", "zh": "-zh", "ko": "-ko"}
VERSION = "0.0.0"  # set from the build (set_version)
HERE = os.path.dirname(os.path.abspath(__file__))  # the texts and illustrations lie beside this file


def _load_picture_texts():
    """The texts inside the pictures (picture_texts.json beside this file): "texts", the
    sentences only the pictures use, by key and language; "table_words", words the program's
    text table also holds, by text id, used where the table has no translation of its own."""
    with open(os.path.join(HERE, "picture_texts.json"), encoding="utf-8") as f:
        data = json.load(f)
    return data["texts"], {int(k): v for k, v in data["table_words"].items()}


T, TABLE_WORDS = _load_picture_texts()


def set_version(version):
    global VERSION
    VERSION = version
INK = "#34332f"
SOFT = "#5d5b56"
ACCENT = "#3f6ea8"

_table = {}


def load_text_table(text_dir):
    """Reads the program's text table (assets/text/<code>.txt: lines `<id> "<text>"`)."""
    _table.clear()
    if not text_dir:
        return
    line_re = re.compile(r'^(\d+)\s+"(.*)"\s*$')
    for lang in LANGS:
        path = os.path.join(text_dir, lang + ".txt")
        if not os.path.exists(path):
            continue
        texts = {}
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = line_re.match(line.rstrip("\n"))
                if m:
                    s = m.group(2)
                    s = re.sub(r'\\(.)', lambda e: {"n": "\n", "t": "\t"}.get(e.group(1), e.group(1)), s)
                    texts[int(m.group(1))] = s
        _table[lang] = texts


def word(lang, text_id):
    """A text of the program's table in the language, or this module's own translation."""
    own = TABLE_WORDS[text_id]
    table_text = _table.get(lang, {}).get(text_id)
    if table_text and table_text.count("%") == own["en"].count("%"):
        return table_text
    return own[lang]


def tr(key, lang):
    return T[key][lang]


def fitted_paragraph(x, y, s, size, max_w, max_h, lang, fill=INK, bold=False, line_height=1.35, min_size=11):
    """Wrapped text that fits a box: the size shrinks until the lines fit max_h."""
    while True:
        lines = wrap(s, size, max_w, lang, bold)
        if len(lines) * size * line_height <= max_h or size <= min_size:
            break
        size -= 0.5
    out = []
    for i, line in enumerate(lines):
        out.append(text(x, y + size + i * size * line_height, line, size, lang, fill, bold))
    return "\n".join(out)


def heading(x, y, s, size, max_w, lang, fill=INK):
    size = fit_size(s, size, max_w, lang, bold=True)
    return text(x, y, s, size, lang, fill, bold=True)


PAPER = radial("paper", [("0", "#fbfaf8", "1"), ("0.7", "#f0efec", "1"), ("1", "#e2e0dc", "1")], cx="50%", cy="35%", r="80%")


def backdrop(w, h):
    return '<rect width="%d" height="%d" fill="url(#paper)"/>' % (w, h), PAPER


def card(x, y, w, h):
    return ('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="14" fill="#ffffff" fill-opacity="0.75" '
            'stroke="#c9c6c0" stroke-width="1.5"/>' % (x, y, w, h))


# ---- Small illustrations (drawn in a 100 x 100 box) ----------------------------------------

def _load_help_icons():
    """The illustrations of help_icons.svg beside this file: each group's lines, by its id."""
    with open(os.path.join(HERE, "help_icons.svg"), encoding="utf-8") as f:
        source = f.read()
    return {kind: "".join(body.split("\n"))
            for kind, body in re.findall(r'^<g id="([a-z]+)">\n(.*?)\n</g>$', source, re.S | re.M)}


HELP_ICONS = _load_help_icons()


def icon(kind, x, y, s=1.0):
    return '<g transform="translate(%.1f %.1f) scale(%.3f)">%s</g>' % (x, y, s, HELP_ICONS[kind])


# ---- Help pages (960 x 720; the program puts its buttons in rows 461-515 and 649-703) ------

def help_card(x, y, w, h, kind, title_s, body_s, lang):
    out = [card(x, y, w, h),
           '<circle cx="%.1f" cy="%.1f" r="44" fill="#f4f3f1" stroke="#d9d7d3" stroke-width="2"/>' % (x + 58, y + h / 2),
           icon(kind, x + 22, y + h / 2 - 36, 0.72),
           heading(x + 116, y + 32, title_s, 22, w - 130, lang, ACCENT),
           fitted_paragraph(x + 116, y + 40, body_s, 17, w - 132, h - 48, lang)]
    return "\n".join(out)


def page_dots(page, lang):
    out = []
    for i in (1, 2):
        out.append('<circle cx="%d" cy="488" r="6" fill="%s"/>' % (470 + (i - 1) * 20, ACCENT if i == page else "#c9c6c0"))
    return "\n".join(out)


def startup_label(lang):
    """The start-up check box's label, beside the program's box and at least 8 pixels short of
    its About button (wider buttons in Russian push the box right, Japanese moves About left)."""
    x = 540 if lang == "ru" else 440
    about = 794 if lang == "ja" else 814
    s = word(lang, 383)
    return text(x, 687, s, fit_size(s, 17, about - 8 - x, lang), lang, SOFT)


def card_grid(kinds, page, top, ch, lang):
    """Help cards two to a row below `top`: each kind's picture, its title (the text of the same
    key) and its body (the page's text of that key)."""
    cw = 420
    cards = []
    for i, kind in enumerate(kinds):
        x = 48 + (i % 2) * (cw + 24)
        y = top + (i // 2) * (ch + 12)
        cards.append(help_card(x, y, cw, ch, kind, tr(kind, lang), tr(page + kind, lang), lang))
    return cards


def help1(lang):
    w, h = 960, 720
    bg, defs = backdrop(w, h)
    parts = [bg, heading(48, 64, tr("h1_title", lang), 34, 864, lang),
             fitted_paragraph(48, 80, tr("h1_intro", lang), 19, 864, 62, lang, SOFT)]
    parts += card_grid(["camera", "sticks", "seat", "play"], "h1_", 160, 140, lang)
    parts.append(page_dots(1, lang))
    # A strip of the kit between the navigation row and the bottom buttons.
    parts.append(kit_strip(48, 530, 864, 105))
    parts.append(startup_label(lang))
    return document(w, h, "\n".join(parts), defs + kit_defs())


def help2(lang):
    w, h = 960, 720
    bg, defs = backdrop(w, h)
    parts = [bg, heading(48, 64, tr("h2_title", lang), 34, 864, lang)]
    parts += card_grid(["wizard", "inair", "mouse", "sound"], "h2_", 92, 170, lang)
    parts.append(page_dots(2, lang))
    parts.append(help_card(48, 528, 864, 108, "tips", tr("tips", lang), tr("h2_tips", lang), lang))
    parts.append(startup_label(lang))
    return document(w, h, "\n".join(parts), defs)


def kit_defs():
    return (radial("khead", [("0", "#fbf9f4", "1"), ("0.85", "#ece7dc", "1"), ("1", "#cfc7b7", "1")]) +
            radial("kcym", [("0", "#f7d98c", "1"), ("0.5", "#d9a84a", "1"), ("1", "#9c6a1e", "1")]))


def kit_strip(x, y, w, h):
    """A row of drums and cymbals as seen from above, as a decoration."""
    items = [("cym", 0.07, 0.42), ("drum", 0.19, 0.34), ("drum", 0.33, 0.38), ("kick", 0.5, 0.48),
             ("drum", 0.67, 0.4), ("drum", 0.81, 0.44), ("cym", 0.93, 0.46)]
    out = [card(x, y, w, h)]
    for kind, fx, fr in items:
        cx, cy, r = x + w * fx, y + h / 2, h * fr
        if kind == "cym":
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="url(#kcym)" stroke="#6f4a14"/>' % (cx, cy, r))
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#f7e3a8" stroke="#9c6a1e"/>' % (cx, cy, r * 0.25))
        elif kind == "kick":
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#1e1f22" stroke="#5a0a10" stroke-width="3"/>' % (cx, cy, r))
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#b3222b"/>' % (cx, cy, r * 0.9))
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#f1ede4" fill-opacity="0.9"/>' % (cx, cy, r * 0.55))
            out.append(text(cx, cy + r * 0.12, "Skytapper", r * 0.2, "en", "#b3222b", True, "middle"))
        else:
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="#b3222b" stroke="#5a0a10"/>' % (cx, cy, r))
            out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="url(#khead)" stroke="#9aa3ad" stroke-width="3"/>' % (cx, cy, r * 0.86))
    return "\n".join(out)


# ---- About page (960 x 720; Close in rows 651-705 at x 814) --------------------------------

def about(lang):
    w, h = 960, 720
    bg, defs = backdrop(w, h)
    defs += (linear("word", [("0", "#2c3e57", "1"), ("0.55", "#3f6ea8", "1"), ("1", "#6aa7e0", "1")], x1="0", y1="0", x2="1", y2="0") +
             kit_defs())
    parts = [bg,
             '<line x1="90" y1="210" x2="190" y2="60" stroke="#c99a5a" stroke-width="11" stroke-linecap="round"/>',
             '<line x1="200" y1="214" x2="130" y2="56" stroke="#c99a5a" stroke-width="11" stroke-linecap="round"/>',
             '<circle cx="190" cy="60" r="24" fill="#ff5a3c" fill-opacity="0.3"/><circle cx="190" cy="60" r="11" fill="#ff4a3c"/>',
             '<circle cx="130" cy="56" r="24" fill="#ff5a3c" fill-opacity="0.3"/><circle cx="130" cy="56" r="11" fill="#ff4a3c"/>',
             text(250, 150, "Skytapper", 78, "en", "url(#word)", bold=True),
             text(254, 195, tr("ab_version", lang) % VERSION, 22, lang, SOFT),
             heading(90, 270, tr("ab_tagline", lang), 26, 800, lang)]
    y = 310
    parts.append(card(90, y, 780, 280))
    rows = [(tr("ab_built", lang), "freeglut, PortAudio, PortMidi, libusb, stb, FastLZ, FFmpeg"),
            (tr("ab_fonts", lang), "Open Sans, Noto Sans CJK"),
            (tr("ab_samples", lang), "Hydrogen drum kits: GMRockKit, ForzeeStereo, Millo_MultiLayered2")]
    yy = y + 50
    for label, value in rows:
        parts.append(heading(120, yy, label, 20, 720, lang, ACCENT))
        parts.append(text(120, yy + 32, value, 18, "en", INK))
        yy += 80
    parts.append(kit_strip(90, 608, 680, 90))
    return document(w, h, "\n".join(parts), defs)


# ---- Set-up wizard pages (designed at 800 x 600, drawn at 800 x 600 or 1133 x 850) ----------

# The program draws a wizard picture at its natural size with 3/4 of the window's spare height
# below it, and its Back and Next buttons 50 high with their tops at 0.16 of the window's height.
# The panel stops this far down the 600-high design, the rest is transparent, so that the buttons
# stay at least 8 pixels below the panel's edge at every window height: from 720 (the 800 x 600
# picture, 25 + 8 pixels short of clear) and from 901 (the 1133 x 850 one, 106 + 8 short).
WIZARD_PANEL_H = 518


def wizard_panel():
    return '<rect width="800" height="%d" rx="12" fill="url(#paper)"/>' % WIZARD_PANEL_H, PAPER


def scaled_document(w, h, body, defs, vw=800, vh=600):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n<defs>%s</defs>\n%s\n</svg>\n'
            % (w, h, vw, vh, defs, body))


def bullets(x, y, items, max_w, max_h, lang, size=18):
    """Numbered points; the size shrinks until all fit."""
    while True:
        blocks = [wrap(s, size, max_w - 34, lang) for s in items]
        total = sum(len(b) * size * 1.3 + size * 0.7 for b in blocks)
        if total <= max_h or size <= 11:
            break
        size -= 0.5
    out = []
    yy = y
    for i, lines in enumerate(blocks):
        out.append('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="%s"/>' % (x + 11, yy + size * 0.62, size * 0.62, ACCENT))
        out.append(text(x + 11, yy + size * 0.62 + size * 0.3, str(i + 1), size * 0.8, "en", "#ffffff", True, "middle"))
        for j, line in enumerate(lines):
            out.append(text(x + 34, yy + size + j * size * 1.3, line, size, lang, INK))
        yy += len(lines) * size * 1.3 + size * 0.7
    return "\n".join(out)


def top_view_camera(cx, cy, angle):
    return ('<g transform="translate(%.1f %.1f) rotate(%.1f)">'
            '<path d="M 0 0 L -120 330 L 120 330 Z" fill="%s" fill-opacity="0.12"/>'
            '<rect x="-30" y="-16" width="60" height="32" rx="12" fill="#2b2b2e"/>'
            '<rect x="-12" y="12" width="24" height="10" rx="3" fill="#4d77b0"/></g>' % (cx, cy, angle, ACCENT))


def top_view_drummer(cx, cy, lang, left=False):
    """Drummer on a seat seen from above, facing up (towards the camera), with the kit around."""
    out = ['<circle cx="%.1f" cy="%.1f" r="138" fill="none" stroke="#8e8b85" stroke-width="2" stroke-dasharray="8 8"/>' % (cx, cy)]
    f = -1 if left else 1
    kit = [(-95, -40, 34, "drum"), (-40, -95, 26, "drum"), (40, -95, 28, "drum"), (100, -30, 38, "drum"),
           (-130, -100, 34, "cym"), (130, -110, 40, "cym"), (-125, 15, 30, "cym")]
    for dx, dy, r, kind in kit:
        x, y = cx + f * dx, cy + dy
        if kind == "cym":
            out.append('<circle cx="%.1f" cy="%.1f" r="%d" fill="url(#kcym)" stroke="#6f4a14"/>' % (x, y, r))
        else:
            out.append('<circle cx="%.1f" cy="%.1f" r="%d" fill="#b3222b"/><circle cx="%.1f" cy="%.1f" r="%.1f" fill="url(#khead)" stroke="#9aa3ad" stroke-width="2"/>' % (x, y, r, x, y, r * 0.85))
    out.append('<rect x="%.1f" y="%.1f" width="60" height="44" rx="8" fill="#b3222b" stroke="#5a0a10"/>' % (cx - 30, cy - 80))
    out.append('<circle cx="%.1f" cy="%.1f" r="30" fill="#5b4a3a"/>' % (cx, cy + 30))
    out.append('<ellipse cx="%.1f" cy="%.1f" rx="44" ry="20" fill="#6d8fb8"/>' % (cx, cy + 20))
    out.append('<circle cx="%.1f" cy="%.1f" r="17" fill="#e8c8a8" stroke="#7a5a3a" stroke-width="2"/>' % (cx, cy + 20))
    out.append(text(cx, cy + 75, tr("you", lang), 16, lang, SOFT, anchor="middle"))
    return "\n".join(out)


def where_to_drum(lang, w, h):
    bg, defs = wizard_panel()
    defs += kit_defs()
    parts = [bg, heading(36, 52, tr("wd_title", lang), 30, 350, lang)]
    parts.append(bullets(36, 80, [tr("wd_1", lang), tr("wd_2", lang), tr("wd_3", lang), tr("wd_4", lang)], 340, 400, lang))
    # Room seen from above: camera at the top, drummer below, free space round the drummer.
    parts.append(card(400, 24, 376, 466))
    parts.append(top_view_camera(588, 62, 0))
    parts.append('<rect x="548" y="70" width="80" height="8" rx="3" fill="#8e8b85"/>')
    parts.append(top_view_drummer(588, 340, lang))
    parts.append('<path d="M 430 74 L 430 322" stroke="%s" stroke-width="3"/>'
                 '<path d="M 422 86 L 430 72 L 438 86 Z M 422 310 L 430 324 L 438 310 Z" fill="%s"/>' % (ACCENT, ACCENT))
    parts.append(text(0, 0, tr("distance", lang), 17, lang, ACCENT, bold=True, anchor="middle",
                      extra='transform="translate(420 198) rotate(-90)"'))
    parts.append(text(624, 70, tr("camera", lang), 15, lang, SOFT))
    return scaled_document(w, h, "\n".join(parts), defs)


def camera_placement(lang, w, h, left):
    bg, defs = wizard_panel()
    defs += kit_defs()
    parts = [bg, heading(36, 52, tr("cc_title", lang), 30, 350, lang)]
    parts.append(bullets(36, 80, [tr("cc_left" if left else "cc_right", lang), tr("cc_lens", lang), tr("cc_tilt", lang), tr("cc_usb", lang)],
                         340, 400, lang))
    parts.append(card(400, 24, 376, 466))
    # The camera stands in front, shifted to the player's side, turned towards the seat.
    cam_x = 588 - 110 if left else 588 + 110
    parts.append(top_view_camera(cam_x, 70, -math.degrees(math.atan2(588 - cam_x, 340 - 70))))
    parts.append(text(cam_x + (44 if left else -44), 56, tr("camera", lang), 15, lang, SOFT, anchor="start" if left else "end"))
    parts.append(top_view_drummer(588, 340, lang, left))
    # Side view inset: the camera at knee height, tilted up.
    parts.append(card(412, 404, 150, 76))
    parts.append('<line x1="420" y1="470" x2="554" y2="470" stroke="#8e8b85" stroke-width="2"/>'
                 '<rect x="436" y="446" width="26" height="14" rx="5" fill="#2b2b2e" transform="rotate(-12 449 453)"/>'
                 '<rect x="445" y="458" width="8" height="12" fill="#6b6a67"/>'
                 '<path d="M 462 448 L 540 412 M 462 452 L 540 468" stroke="%s" stroke-opacity="0.5" stroke-width="2"/>'
                 '<circle cx="528" cy="424" r="7" fill="#e8c8a8"/><path d="M 528 431 L 528 452 L 514 458 L 514 470 M 528 452 L 540 470" stroke="#5b4a3a" stroke-width="4" fill="none"/>'
                 % ACCENT)
    return scaled_document(w, h, "\n".join(parts), defs)


# ---- Audio device picture ------------------------------------------------------------------

def button(x, y, w, h, label, lang, halo=False):
    out = []
    if halo:
        out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="12" fill="none" stroke="#ffe24d" stroke-width="7" stroke-opacity="0.9"/>' % (x - 5, y - 5, w + 10, h + 10))
    out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="8" fill="#e0dfdd" stroke="#b5b4b2" stroke-width="2"/>' % (x, y, w, h))
    size = fit_size(label, 17, w - 10, lang)
    out.append(text(x + w / 2, y + h / 2 + size * 0.36, label, size, lang, INK, anchor="middle"))
    return "\n".join(out)


def audio_device(lang, w, h):
    bg, defs = backdrop(w, h)
    parts = [bg, heading(36, 54, tr("ad_title", lang), 30, w - 72, lang)]
    # A picture of the audio screen.
    sx, sy, sw, sh = 36, 84, w - 72, h - 210
    parts.append('<rect x="%d" y="%d" width="%d" height="%d" rx="14" fill="#f7f6f4" stroke="#9e9b95" stroke-width="2"/>' % (sx, sy, sw, sh))
    device_label = word(lang, 331)
    device_name = "Default output"
    line = device_label + device_name
    size = fit_size(line + "     " + word(lang, 396), 18, sw - 190, lang)
    parts.append(text(sx + 24, sy + 50, line, size, lang, INK))
    lw = text_width(line, size, lang)
    bx = sx + 24 + lw + 14
    parts.append(button(bx, sy + 27, 122, 35, word(lang, 332), lang, halo=True))
    parts.append(text(bx + 134, sy + 50, word(lang, 396), size, lang, INK))
    # Buffer size row.
    row = sy + 262
    parts.append(text(sx + 44, row, word(lang, 315), 17, lang, INK))
    slider_x = sx + 44 + max(150, text_width(word(lang, 315), 17, lang) + 20)
    parts.append('<rect x="%.1f" y="%.1f" width="200" height="36" rx="10" fill="#e0dfdd" stroke="#b5b4b2"/>'
                 '<rect x="%.1f" y="%.1f" width="200" height="36" rx="10" fill="#9db4e9" fill-opacity="0.8"/>' % (slider_x, row - 26, slider_x, row - 26))
    latency = word(lang, 333) % (256 / 44.1, 256)
    parts.append(text(slider_x + 216, row, latency, fit_size(latency, 16, sx + sw - slider_x - 230, lang), lang, SOFT))
    # Callout pointing at the Change button.
    cx0, cy0 = sx + 40, sy + 96
    cw = sw - 80
    parts.append('<path d="M %.1f %.1f L %.1f %.1f L %.1f %.1f Z" fill="#fff7cc" stroke="#d9b400" stroke-width="2"/>'
                 % (bx + 61, sy + 70, bx + 36, cy0 + 2, bx + 86, cy0 + 2))
    parts.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="12" fill="#fff7cc" stroke="#d9b400" stroke-width="2"/>' % (cx0, cy0, cw, 110))
    parts.append('<path d="M %.1f %.1f L %.1f %.1f" stroke="#fff7cc" stroke-width="4"/>' % (bx + 38, cy0 + 1, bx + 84, cy0 + 1))
    parts.append(fitted_paragraph(cx0 + 20, cy0 + 12, tr("ad_callout", lang), 21, cw - 40, 88, lang))
    # Bottom buttons of the screen.
    by = sy + sh - 74
    parts.append(button(sx + 24, by, 104, 50, word(lang, 345), lang))
    parts.append(button(sx + 158, by, 104, 50, word(lang, 327), lang, halo=True))
    parts.append(button(sx + 292, by, 104, 50, word(lang, 328), lang))
    parts.append(fitted_paragraph(36, h - 110, tr("ad_apply", lang), 20, w - 72, 80, lang, SOFT))
    return document(w, h, "\n".join(parts), defs)


def pictures():
    out = {}
    for lang in LANGS:
        s = SUFFIX[lang]
        out["help1" + s] = (960, 720, lambda lang=lang: help1(lang))
        out["help2" + s] = (960, 720, lambda lang=lang: help2(lang))
        out["about-light" + s] = (960, 720, lambda lang=lang: about(lang))
        aw, ah = (822, 734) if lang == "ja" else (829, 655)
        out["audio-device-setting" + s] = (aw, ah, lambda lang=lang, aw=aw, ah=ah: audio_device(lang, aw, ah))
        for size, (w, h) in (("600", (800, 600)), ("850", (1133, 850))):
            out["calib-where-to-drum-%s%s" % (size, s)] = (w, h, lambda lang=lang, w=w, h=h: where_to_drum(lang, w, h))
            out["calib-camera-left-%s%s" % (size, s)] = (w, h, lambda lang=lang, w=w, h=h: camera_placement(lang, w, h, True))
            out["calib-camera-right-%s%s" % (size, s)] = (w, h, lambda lang=lang, w=w, h=h: camera_placement(lang, w, h, False))
    return out
