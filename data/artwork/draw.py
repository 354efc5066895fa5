#!/usr/bin/env python3
"""Draws the program's own pictures: the application icon and the pictures of the works page.

Writes SVG files and turns them into the PNG files that the documents and the package use:

    data/icons/lctune.svg, data/icons/lctune.png (256 px)
    data/artwork/works-*.svg -> data/LCTUNE/ZuoPin/images/*.png

Run by hand after changing a drawing (needs rsvg-convert from librsvg2-bin); the PNG files are
committed, so neither the build nor the package needs this script or that tool.
"""

import math
import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parents[1]
ART = ROOT / "artwork"
ICONS = ROOT / "icons"
WORKS_IMAGES = ROOT / "LCTUNE" / "ZuoPin" / "images"

TEAL_LIGHT = "#00a3a3"
TEAL_DARK = "#005c5c"


def svg(width, height, body, title):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n'
        f"  <title>{title}</title>\n{body}</svg>\n"
    )


def ground(width, height, top, bottom, radius=10):
    return (
        '  <defs><linearGradient id="ground" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
        "</linearGradient></defs>\n"
        f'  <rect x="0.5" y="0.5" width="{width - 1}" height="{height - 1}" rx="{radius}" '
        'fill="url(#ground)" stroke="#ffffff" stroke-opacity="0.55"/>\n'
    )


# ---------------------------------------------------------------------------------------------
# The application icon: a tuning fork standing as the needle of a tuning dial.


def icon():
    cx, cy, r = 128, 214, 150

    def at(radius, degrees):
        a = math.radians(degrees)
        return cx + radius * math.sin(a), cy - radius * math.cos(a)

    x0, y0 = at(r, -44)
    x1, y1 = at(r, 44)
    ticks = []
    for d in (-36, -18, 0, 18, 36):
        a, b = at(164, d), at(180 if d == 0 else 176, d)
        ticks.append(f'    <line x1="{a[0]:.1f}" y1="{a[1]:.1f}" x2="{b[0]:.1f}" y2="{b[1]:.1f}"/>')
    fork = "M 108 80 V 144 Q 108 164 128 164 Q 148 164 148 144 V 80"
    body = f"""  <defs>
    <linearGradient id="ground" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{TEAL_LIGHT}"/>
      <stop offset="1" stop-color="{TEAL_DARK}"/>
    </linearGradient>
    <linearGradient id="scale" x1="{x0:.1f}" y1="0" x2="{x1:.1f}" y2="0" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#ff5a4a"/>
      <stop offset="0.3" stop-color="#ffc23a"/>
      <stop offset="0.5" stop-color="#3ee07a"/>
      <stop offset="0.7" stop-color="#ffc23a"/>
      <stop offset="1" stop-color="#ff5a4a"/>
    </linearGradient>
    <linearGradient id="steel" x1="96" y1="0" x2="160" y2="0" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#ffffff"/>
      <stop offset="1" stop-color="#d2ecec"/>
    </linearGradient>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="52" fill="url(#ground)" stroke="#004a4a" stroke-width="4"/>
  <!-- the dial: flat on the left, in tune at the top, sharp on the right -->
  <path d="M {x0:.1f} {y0:.1f} A {r} {r} 0 0 1 {x1:.1f} {y1:.1f}" fill="none" stroke="url(#scale)"
        stroke-width="14" stroke-linecap="round"/>
  <g stroke="#e8ffff" stroke-width="5" stroke-linecap="round">
{chr(10).join(ticks)}
  </g>
  <!-- the fork: two prongs, the bow and the stem down to the dial's pivot -->
  <g fill="none" stroke="#003a3a" stroke-opacity="0.35" stroke-width="15" stroke-linecap="round"
     stroke-linejoin="round" transform="translate(4 5)">
    <path d="{fork}"/>
    <path d="M 128 164 V 204"/>
  </g>
  <g fill="none" stroke="url(#steel)" stroke-width="14" stroke-linecap="round" stroke-linejoin="round">
    <path d="{fork}"/>
    <path d="M 128 164 V 204"/>
  </g>
  <circle cx="{cx}" cy="{cy}" r="18" fill="#ffffff"/>
  <circle cx="{cx}" cy="{cy}" r="8" fill="#007a7a"/>
  <!-- the sound it gives -->
  <g fill="none" stroke="#bff5f5" stroke-width="5" stroke-linecap="round">
    <path d="M 86 92 Q 76 108 86 124"/>
    <path d="M 170 92 Q 180 108 170 124"/>
  </g>
"""
    return svg(256, 256, body, "岚川调音器")


# ---------------------------------------------------------------------------------------------
# The works page: one picture per work, 120 x 84, and a banner.

W, H = 120, 84


def keyboard():
    parts = [ground(W, H, "#27324a", "#141b2b")]
    # The cabinet with its small panel of lights and the keys under it.
    parts.append('  <rect x="8" y="14" width="104" height="58" rx="5" fill="#3b4866" stroke="#8fa3c8"/>\n')
    for i, colour in enumerate(("#3ee07a", "#ffc23a", "#ff5a4a", "#6fd6ff")):
        parts.append(f'  <circle cx="{18 + i * 9}" cy="23" r="2.6" fill="{colour}"/>\n')
    parts.append('  <rect x="62" y="19" width="40" height="8" rx="2" fill="#0b1220" stroke="#6fd6ff"/>\n')
    parts.append('  <path d="M 65 23 h 5 l 3 -3 l 4 6 l 4 -6 l 4 6 l 3 -3 h 10" fill="none" '
                 'stroke="#6fd6ff" stroke-width="1.2"/>\n')
    left, top, key_w, key_h = 12, 33, 96 / 12, 34
    for i in range(12):
        parts.append(f'  <rect x="{left + i * key_w:.2f}" y="{top}" width="{key_w - 0.8:.2f}" '
                     f'height="{key_h}" rx="1.2" fill="#fbfbf6"/>\n')
    for i in range(11):
        if i % 7 in (2, 6):
            continue
        x = left + (i + 1) * key_w - key_w * 0.32
        parts.append(f'  <rect x="{x:.2f}" y="{top}" width="{key_w * 0.56:.2f}" height="{key_h * 0.6:.1f}" '
                     'rx="1" fill="#1b1b1f"/>\n')
    return svg(W, H, "".join(parts), "朗韵电子琴")


def orchestra():
    parts = [ground(W, H, "#5a2a1c", "#2c120b")]
    # The orchestra seen from above: rows of desks in half rings round the conductor.
    cx, cy = 60, 76
    rows = ((18, 6, "#f6d28b"), (30, 10, "#e9a752"), (42, 14, "#c9773a"), (54, 18, "#f3e3c3"))
    for radius, count, colour in rows:
        parts.append(f'  <path d="M {cx - radius} {cy} A {radius} {radius} 0 0 1 {cx + radius} {cy}" '
                     'fill="none" stroke="#ffffff" stroke-opacity="0.12" stroke-width="9"/>\n')
        for k in range(count):
            a = math.pi * (k + 0.5) / count
            x, y = cx - radius * math.cos(a), cy - radius * math.sin(a)
            parts.append(f'  <circle cx="{x:.1f}" cy="{y:.1f}" r="2.6" fill="{colour}"/>\n')
    # The podium and the baton.
    parts.append(f'  <rect x="{cx - 6}" y="{cy - 4}" width="12" height="8" rx="2" fill="#ffffff"/>\n')
    parts.append(f'  <line x1="{cx + 3}" y1="{cy - 3}" x2="{cx + 15}" y2="{cy - 13}" stroke="#ffffff" '
                 'stroke-width="1.6" stroke-linecap="round"/>\n')
    return svg(W, H, "".join(parts), "朗岳交响曲")


def bundle():
    parts = [ground(W, H, "#1d6b52", "#0c3427")]
    # An open box with notes rising from it.
    parts.append('  <path d="M 32 40 L 60 50 L 88 40 L 88 70 L 60 80 L 32 70 Z" fill="#f2c14e" stroke="#7a5a12"/>\n')
    parts.append('  <path d="M 60 50 L 60 80" stroke="#7a5a12"/>\n')
    parts.append('  <path d="M 32 70 L 60 80 L 60 50 L 32 40 Z" fill="#e0a92c" stroke="#7a5a12"/>\n')
    parts.append('  <path d="M 32 40 L 20 50 L 48 60 L 60 50 Z" fill="#f7d57a" stroke="#7a5a12"/>\n')
    parts.append('  <path d="M 88 40 L 100 50 L 72 60 L 60 50 Z" fill="#f7d57a" stroke="#7a5a12"/>\n')
    notes = ((48, 30, "#ffffff"), (66, 18, "#bff5f5"), (80, 31, "#ffe3a3"))
    for x, y, colour in notes:
        parts.append(f'  <ellipse cx="{x}" cy="{y + 8}" rx="4.2" ry="3.2" transform="rotate(-20 {x} {y + 8})" '
                     f'fill="{colour}"/>\n')
        parts.append(f'  <line x1="{x + 3.6}" y1="{y + 7}" x2="{x + 3.6}" y2="{y - 6}" stroke="{colour}" '
                     'stroke-width="1.6"/>\n')
        parts.append(f'  <path d="M {x + 3.6} {y - 6} q 6 3 4 9" fill="none" stroke="{colour}" '
                     'stroke-width="1.6"/>\n')
    return svg(W, H, "".join(parts), "岚川音乐软件包")


def tuner():
    parts = [ground(W, H, TEAL_LIGHT, TEAL_DARK)]
    # A small picture of the tuner's face: the note on its green ground and the needle beside it.
    parts.append('  <rect x="8" y="12" width="54" height="60" rx="4" fill="#008000" stroke="#c8ffc8"/>\n')
    parts.append('  <text x="35" y="44" text-anchor="middle" font-family="DejaVu Sans" font-weight="bold" '
                 'font-size="22" fill="#ffffff">A4</text>\n')
    parts.append('  <text x="35" y="62" text-anchor="middle" font-family="DejaVu Sans" font-size="11" '
                 'fill="#c8ffc8">440HZ</text>\n')
    parts.append('  <rect x="68" y="12" width="44" height="60" rx="4" fill="#f4f1e6" stroke="#c8ffc8"/>\n')
    cx, cy = 90, 64
    for d in range(-40, 41, 10):
        a = math.radians(d)
        x0, y0 = cx + 34 * math.sin(a), cy - 34 * math.cos(a)
        x1, y1 = cx + (29 if d % 20 else 27) * math.sin(a), cy - (29 if d % 20 else 27) * math.cos(a)
        colour = "#008000" if abs(d) <= 10 else "#cc2222"
        parts.append(f'  <line x1="{x0:.1f}" y1="{y0:.1f}" x2="{x1:.1f}" y2="{y1:.1f}" stroke="{colour}" '
                     'stroke-width="1.4"/>\n')
    parts.append(f'  <line x1="{cx}" y1="{cy}" x2="{cx + 4}" y2="{cy - 33}" stroke="#202020" '
                 'stroke-width="1.6" stroke-linecap="round"/>\n')
    parts.append(f'  <circle cx="{cx}" cy="{cy}" r="3" fill="#202020"/>\n')
    return svg(W, H, "".join(parts), "岚川调音器")


def write(path, text):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(text, encoding="utf-8")


def render(source, target, size=None):
    target.parent.mkdir(parents=True, exist_ok=True)
    command = ["rsvg-convert", "-o", str(target), str(source)]
    if size:
        command[1:1] = ["-w", str(size), "-h", str(size)]
    subprocess.run(command, check=True)


def main():
    write(ICONS / "lctune.svg", icon())
    render(ICONS / "lctune.svg", ICONS / "lctune.png", 256)
    for name, draw in (("keyboard", keyboard), ("orchestra", orchestra), ("bundle", bundle), ("tuner", tuner)):
        source = ART / f"works-{name}.svg"
        write(source, draw())
        render(source, WORKS_IMAGES / f"{name}.png")


if __name__ == "__main__":
    main()
