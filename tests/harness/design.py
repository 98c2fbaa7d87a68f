"""Where the main window and its controls sit as designed, in pixels of the window's client area:
read from the table that the window itself is placed by (ui/form1_controls.h), so that the tests
keep no copy of the design's numbers."""
import os
import re

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "ui",
                      "form1_controls.h")
TWIPS_PER_PIXEL = 15


def _read():
    with open(HEADER, encoding="utf-8") as f:
        text = f.read()
    constants = dict(re.findall(r"constexpr int (\w+) = (\d+);", text))
    places = {}
    for name, fields in re.findall(r"constexpr platform::TwipsRect (\w+)\{([^}]*)\};", text):
        twips = [int(constants.get(field.strip(), field.strip())) for field in fields.split(",")]
        # Whole twips never fall on a half pixel, so rounding to the nearest is the window's own.
        places[name] = tuple(round(t / TWIPS_PER_PIXEL) for t in twips)
    return places


PLACES = _read()


def place(name):
    """(left, top, width, height) of the control (or "Form1": the window) in pixels."""
    return PLACES[name]


def size(name):
    return place(name)[2:]


def centre(name):
    left, top, width, height = place(name)
    return left + width // 2, top + height // 2
