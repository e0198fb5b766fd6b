"""Helpers shared by the picture sources: SVG documents, text measured with the program's fonts."""
import struct
from xml.sax.saxutils import escape

OPEN_SANS = "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf"
OPEN_SANS_BOLD = "/usr/share/fonts/truetype/open-sans/OpenSans-Bold.ttf"
NOTO_CJK = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
NOTO_CJK_BOLD = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
FONT_FILES = [OPEN_SANS, OPEN_SANS_BOLD, NOTO_CJK, NOTO_CJK_BOLD]

CJK_LANGS = ("ja", "zh", "ko")


class FontMetrics:
    """Horizontal advances of one font face (cmap + hmtx), enough to lay out lines of text."""

    def __init__(self, path, face=0):
        with open(path, "rb") as f:
            data = f.read()
        base = 0
        if data[:4] == b"ttcf":
            base = struct.unpack(">I", data[12 + 4 * face:16 + 4 * face])[0]
        num_tables = struct.unpack(">H", data[base + 4:base + 6])[0]
        tables = {}
        for i in range(num_tables):
            rec = base + 12 + 16 * i
            tag = data[rec:rec + 4].decode("latin-1")
            off, length = struct.unpack(">II", data[rec + 8:rec + 16])
            tables[tag] = (off, length)
        self.units = struct.unpack(">H", data[tables["head"][0] + 18:tables["head"][0] + 20])[0]
        hhea = tables["hhea"][0]
        n_hmetrics = struct.unpack(">H", data[hhea + 34:hhea + 36])[0]
        hmtx = tables["hmtx"][0]
        self.advances = [struct.unpack(">H", data[hmtx + 4 * i:hmtx + 4 * i + 2])[0] for i in range(n_hmetrics)]
        self.cmap = self._read_cmap(data, tables["cmap"][0])

    @staticmethod
    def _read_cmap(data, cmap):
        n = struct.unpack(">H", data[cmap + 2:cmap + 4])[0]
        best = None
        for i in range(n):
            pid, eid, off = struct.unpack(">HHI", data[cmap + 4 + 8 * i:cmap + 12 + 8 * i])
            fmt = struct.unpack(">H", data[cmap + off:cmap + off + 2])[0]
            if fmt == 12 and pid in (0, 3):
                best = (12, cmap + off)
            elif fmt == 4 and pid in (0, 3) and best is None:
                best = (4, cmap + off)
        table = {}
        fmt, sub = best
        if fmt == 12:
            groups = struct.unpack(">I", data[sub + 12:sub + 16])[0]
            for g in range(groups):
                start, end, glyph = struct.unpack(">III", data[sub + 16 + 12 * g:sub + 28 + 12 * g])
                for c in range(start, end + 1):
                    table[c] = glyph + c - start
        else:
            segx2 = struct.unpack(">H", data[sub + 6:sub + 8])[0]
            segs = segx2 // 2
            ends = struct.unpack(">%dH" % segs, data[sub + 14:sub + 14 + segx2])
            starts = struct.unpack(">%dH" % segs, data[sub + 16 + segx2:sub + 16 + 2 * segx2])
            deltas = struct.unpack(">%dh" % segs, data[sub + 16 + 2 * segx2:sub + 16 + 3 * segx2])
            ro_pos = sub + 16 + 3 * segx2
            ranges = struct.unpack(">%dH" % segs, data[ro_pos:ro_pos + segx2])
            for s in range(segs):
                for c in range(starts[s], ends[s] + 1):
                    if c == 0xFFFF:
                        continue
                    if ranges[s] == 0:
                        glyph = (c + deltas[s]) & 0xFFFF
                    else:
                        addr = ro_pos + 2 * s + ranges[s] + 2 * (c - starts[s])
                        glyph = struct.unpack(">H", data[addr:addr + 2])[0]
                        if glyph:
                            glyph = (glyph + deltas[s]) & 0xFFFF
                    table[c] = glyph
        return table

    def width(self, text, size):
        total = 0
        for ch in text:
            g = self.cmap.get(ord(ch), 0)
            total += self.advances[min(g, len(self.advances) - 1)]
        return total * size / self.units


_metrics = {}


def metrics(path):
    if path not in _metrics:
        _metrics[path] = FontMetrics(path)
    return _metrics[path]


def font_for(lang, bold=False):
    """(family for SVG, font file) the program itself would use for the language."""
    if lang in CJK_LANGS:
        return "Noto Sans CJK JP", NOTO_CJK_BOLD if bold else NOTO_CJK
    return "Open Sans", OPEN_SANS_BOLD if bold else OPEN_SANS


def text_width(text, size, lang="en", bold=False):
    return metrics(font_for(lang, bold)[1]).width(text, size)


def _break_points(text, lang):
    """Split text into pieces between which a line may break."""
    if lang in ("ja", "zh"):
        pieces, cur = [], ""
        no_start = set("、。，．！？）」』】〉》・ー：；%,.!?)")
        for ch in text:
            if cur and ch not in no_start and not (cur[-1].isascii() and cur[-1].isalnum() and ch.isascii() and ch.isalnum()):
                pieces.append(cur)
                cur = ""
            cur += ch
        if cur:
            pieces.append(cur)
        return pieces
    words = text.split(" ")
    return [w + (" " if i < len(words) - 1 else "") for i, w in enumerate(words)]


def wrap(text, size, max_width, lang="en", bold=False):
    """Lines of text no wider than max_width; '\\n' forces a break."""
    lines = []
    for para in text.split("\n"):
        cur = ""
        for piece in _break_points(para, lang):
            trial = cur + piece
            if cur and text_width(trial.rstrip(), size, lang, bold) > max_width:
                lines.append(cur.rstrip())
                cur = piece
            else:
                cur = trial
        lines.append(cur.rstrip())
    return lines


def fit_size(text, size, max_width, lang="en", bold=False, min_size=8):
    """The largest size up to `size` at which one line of text fits max_width."""
    while size > min_size and text_width(text, size, lang, bold) > max_width:
        size -= 0.5
    return size


def text(x, y, s, size, lang="en", fill="#333", bold=False, anchor="start", extra=""):
    family, _ = font_for(lang, bold)
    weight = "bold" if bold else "normal"
    return ('<text x="%.1f" y="%.1f" font-family="%s" font-size="%.1f" font-weight="%s" fill="%s" '
            'text-anchor="%s" %s>%s</text>' % (x, y, family, size, weight, fill, anchor, extra, escape(s)))


def paragraph(x, y, s, size, max_width, lang="en", fill="#333", bold=False, line_height=1.35, anchor="start"):
    """Wrapped text from baseline y; returns (svg, y after the last line)."""
    out = []
    for line in wrap(s, size, max_width, lang, bold):
        out.append(text(x, y, line, size, lang, fill, bold, anchor))
        y += size * line_height
    return "\n".join(out), y


def document(w, h, body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            'width="%d" height="%d" viewBox="0 0 %d %d">\n<defs>%s</defs>\n%s\n</svg>\n' % (w, h, w, h, defs, body))


def radial(id_, stops, cx="50%", cy="50%", r="50%", fx=None, fy=None):
    f = ' fx="%s" fy="%s"' % (fx, fy) if fx is not None else ""
    s = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>' % (o, c, a) for o, c, a in stops)
    return '<radialGradient id="%s" cx="%s" cy="%s" r="%s"%s>%s</radialGradient>' % (id_, cx, cy, r, f, s)


def linear(id_, stops, x1="0", y1="0", x2="0", y2="1"):
    s = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>' % (o, c, a) for o, c, a in stops)
    return '<linearGradient id="%s" x1="%s" y1="%s" x2="%s" y2="%s">%s</linearGradient>' % (id_, x1, y1, x2, y2, s)
