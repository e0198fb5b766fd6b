"""The table of compiled-in pictures: key -> (width, height, function giving the SVG source)."""
import drums
import localised
import ui


def load_text_table(text_dir):
    localised.load_text_table(text_dir)


def set_version(version):
    localised.set_version(version)


def table():
    t = {}
    t.update(drums.pictures())
    t.update(ui.pictures())
    t.update(localised.pictures())
    return dict(sorted(t.items()))
