"""Reading photographs of the window: the count read back with OCR from its caption bar, the
count's contrast against the caption, and whether two photographs differ."""

import os
import re
import subprocess
import tempfile

# Where photographs and the crops read from them go.
ARTIFACTS = os.environ.get("COUNTDOWN3000_ARTIFACTS", tempfile.gettempdir())


class Reading(set):
    """What OCR read in a caption bar, in each page layout, and how high the text stands in the
    photograph (`height`, in pixels: a digit's height)."""

    height = 0


def caption_text_box(window):
    """Where the count stands in the caption bar of the window at (left, top, width, height):
    (24, 4, 67, 19) in a 96-dpi window, in proportion at other resolutions."""
    x, y, width, _ = window
    scale = width / 115
    return (x + round(24 * scale), y + round(4 * scale), round(67 * scale), round(19 * scale))


def luminance(rgb):
    """Relative luminance of an sRGB colour of 0-255 channels (WCAG 2)."""
    linear = [c / 255 / 12.92 if c / 255 <= 0.04045 else ((c / 255 + 0.055) / 1.055) ** 2.4
              for c in rgb]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(one, other):
    darker, lighter = sorted((luminance(one), luminance(other)))
    return (lighter + 0.05) / (darker + 0.05)


def caption_contrast(photo, window):
    """The contrast of the count against its caption bar in a photograph: the caption's colour
    is the commonest in the count's box, the count's the one farthest from it that covers a
    few pixels at least (the strokes' cores; their anti-aliased edges lie in between)."""
    histogram = subprocess.run(["convert", photo, "-crop", "{2}x{3}+{0}+{1}".format(
        *caption_text_box(window)), "+repage", "-depth", "8", "-format", "%c", "histogram:info:-"],
        capture_output=True, text=True, check=True).stdout
    colours = [(int(n), tuple(int(c) for c in rgb.split(",")[:3])) for n, rgb in
               re.findall(r"^\s*(\d+):\s*\(\s*([\d.,\s]+)\)", histogram, re.M)]
    background = max(colours)[1]
    text = max((c for n, c in colours if n >= 3), key=lambda c: contrast(c, background))
    return contrast(text, background), background, text


def read_count(photo, window, name):
    """Reads back with OCR the count in the caption bar of the window at (left, top, width,
    height) in the photograph `photo`, in the two page layouts that suit one line of digits. The
    window and its enlarged caption go to the artifacts as `name`.png and `name`-caption.png
    (and -caption-3x.png)."""
    x, y, width, height = window
    scale = width / 115
    box = caption_text_box(window)
    os.makedirs(ARTIFACTS, exist_ok=True)
    crop = lambda path, x, y, w, h: subprocess.run(  # noqa: E731
        ["convert", photo, "-crop", f"{w}x{h}+{x}+{y}", "+repage", path], check=True)
    crop(os.path.join(ARTIFACTS, f"{name}.png"), max(0, x - 8), max(0, y - 8), width + 16,
         height + 16)
    # Grey, enlarged twice and three times from a 96-dpi caption (a small minus sign reads at
    # one and not the other), dark text on light (the caption is light on dark while active),
    # cut to the text with a margin: what reads best.
    reading = Reading()
    for factor, suffix in ((2, ""), (3, "-3x")):
        caption = os.path.join(ARTIFACTS, f"{name}-caption{suffix}.png")
        crop(caption, *box)
        subprocess.run(["convert", caption, "-colorspace", "Gray", "-resize",
                        f"{100 * factor / scale:.0f}%", "-normalize", caption], check=True)
        mean = float(subprocess.run(["convert", caption, "-format", "%[fx:mean]", "info:"],
                                    capture_output=True, text=True, check=True).stdout)
        subprocess.run(["convert", caption, *(["-negate"] if mean < 0.5 else []), "-trim",
                        "+repage", "-bordercolor", "white", "-border", "10", caption], check=True)
        reading |= {subprocess.run(["tesseract", caption, "stdout", "--psm", psm, "-c",
                                    "tessedit_char_whitelist=-0123456789"],
                                   capture_output=True, text=True).stdout.strip()
                    for psm in ("7", "13")}
    # The text's height, from the photograph itself: the caption's rows that differ from its
    # background.
    rows = subprocess.run(["convert", photo, "-crop", "{2}x{3}+{0}+{1}".format(*box), "+repage",
                           "-colorspace", "Gray", "-fuzz", "25%", "-trim", "-format", "%h",
                           "info:"], capture_output=True, text=True, check=True).stdout
    reading.height = int(rows or 0)
    return reading


def differing_pixels(one, other):
    """How many pixels two photographs of the same size differ in."""
    result = subprocess.run(["compare", "-metric", "AE", one, other, "null:"],
                            capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


def painted(photo):
    """`photo`, where it holds more than a plain surface: a caption, or a combo box's frame, arrow
    and label, drawn in their shades."""
    colours = subprocess.run(["identify", "-format", "%k", photo], capture_output=True,
                             text=True).stdout if photo else ""
    return photo if int(colours or 0) > 16 else None
