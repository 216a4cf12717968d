#!/usr/bin/env python3
"""Renders a terminal screen captured with `tmux capture-pane -e -p` (text
with SGR colour codes) to a PNG through ImageMagick, for the screenshots in
docs/. Standard library only; needs ImageMagick's `convert` with freetype.

usage: render_screen.py CAPTURE.txt OUT.png"""

import re
import subprocess
import sys

FONT = "DejaVu-Sans-Mono"
BOLD_FONT = "DejaVu-Sans-Mono-Bold"
POINT_SIZE = 14
CELL_WIDTH = POINT_SIZE * 0.6021  # DejaVu Sans Mono's advance
CELL_HEIGHT = 18
MARGIN = 10
FOREGROUND = "#d8d8d8"
BACKGROUND = "#1c1c1c"

# xterm's palette: 8 normal colours, then their bright forms.
PALETTE = [
    "#000000", "#cd0000", "#00cd00", "#cdcd00", "#3b78ff", "#cd00cd", "#00cdcd", "#e5e5e5",
    "#7f7f7f", "#ff0000", "#00ff00", "#ffff00", "#5c5cff", "#ff00ff", "#00ffff", "#ffffff",
]


def colour_256(index):
    if index < 16:
        return PALETTE[index]
    if index < 232:
        index -= 16
        steps = [0, 95, 135, 175, 215, 255]
        return "#%02x%02x%02x" % (steps[index // 36], steps[index // 6 % 6], steps[index % 6])
    grey = 8 + (index - 232) * 10
    return "#%02x%02x%02x" % (grey, grey, grey)


class Style:
    def __init__(self):
        self.reset()

    def reset(self):
        self.fg = None
        self.bg = None
        self.bold = False
        self.dim = False
        self.reverse = False

    def apply(self, codes):
        codes = codes or [0]
        i = 0
        while i < len(codes):
            code = codes[i]
            if code == 0:
                self.reset()
            elif code == 1:
                self.bold = True
            elif code == 2:
                self.dim = True
            elif code == 22:
                self.bold = self.dim = False
            elif code == 7:
                self.reverse = True
            elif code == 27:
                self.reverse = False
            elif 30 <= code <= 37:
                self.fg = PALETTE[code - 30]
            elif 90 <= code <= 97:
                self.fg = PALETTE[code - 90 + 8]
            elif code == 39:
                self.fg = None
            elif 40 <= code <= 47:
                self.bg = PALETTE[code - 40]
            elif 100 <= code <= 107:
                self.bg = PALETTE[code - 100 + 8]
            elif code == 49:
                self.bg = None
            elif code in (38, 48) and i + 1 < len(codes):
                if codes[i + 1] == 5 and i + 2 < len(codes):
                    value = colour_256(codes[i + 2])
                    i += 2
                elif codes[i + 1] == 2 and i + 4 < len(codes):
                    value = "#%02x%02x%02x" % tuple(codes[i + 2:i + 5])
                    i += 4
                else:
                    value = None
                if code == 38:
                    self.fg = value
                else:
                    self.bg = value
            i += 1

    def look(self):
        fg = self.fg or FOREGROUND
        bg = self.bg
        if self.reverse:
            fg, bg = (bg or BACKGROUND), fg
        if self.dim and not self.reverse:
            fg = "#8a8a8a"
        return fg, bg, self.bold


SGR = re.compile(r"\x1b\[([0-9;:]*)m")
OTHER_ESCAPE = re.compile(r"\x1b\[[0-9;?]*[A-Za-z]")


def parse(text):
    """Rows of runs: (column, text, (fg, bg, bold))."""
    rows = []
    style = Style()
    for line in text.rstrip("\n").split("\n"):
        runs = []
        column = 0
        position = 0
        current = ""
        start = 0
        look = style.look()
        while position < len(line):
            match = SGR.match(line, position)
            if match:
                if current:
                    runs.append((start, current, look))
                    current = ""
                codes = [int(part) for part in re.split("[;:]", match.group(1)) if part != ""]
                style.apply(codes)
                look = style.look()
                position = match.end()
                start = column
                continue
            other = OTHER_ESCAPE.match(line, position)
            if other:
                position = other.end()
                continue
            if not current:
                start = column
            current += line[position]
            column += 1
            position += 1
        if current:
            runs.append((start, current, look))
        rows.append(runs)
    return rows


def quote(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'").replace("%", "%%") + "'"


def render(text, png_path):
    rows = parse(text)
    columns = max((start + len(run) for runs in rows for start, run, _ in runs), default=80)
    width = int(MARGIN * 2 + columns * CELL_WIDTH + 0.5)
    height = MARGIN * 2 + len(rows) * CELL_HEIGHT
    commands = ["font-size %d" % POINT_SIZE, "text-antialias 1"]
    for row, runs in enumerate(rows):
        top = MARGIN + row * CELL_HEIGHT
        for start, run, (fg, bg, bold) in runs:
            left = MARGIN + start * CELL_WIDTH
            if bg:
                right = left + len(run) * CELL_WIDTH
                commands.append("fill '%s' stroke none rectangle %.1f,%d %.1f,%d" % (bg, left, top, right - 0.5, top + CELL_HEIGHT - 1))
            if run.strip():
                commands.append("font '%s' fill '%s' text %.1f,%d %s" % (BOLD_FONT if bold else FONT, fg, left, top + 14, quote(run)))
    # Handed over inline: ImageMagick's usual security policy refuses @file.
    subprocess.run(["/usr/bin/convert", "-size", "%dx%d" % (width, height), "xc:" + BACKGROUND,
                    "-draw", "\n".join(commands), png_path], check=True)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    with open(sys.argv[1], encoding="utf-8", errors="replace") as capture:
        render(capture.read(), sys.argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main())
