#!/usr/bin/python3
"""Draws the application icon: data/icons/pulsoteclado.svg and the PNG sizes
under data/icons/hicolor/NxN/apps/pulsoteclado.png.

Run: /usr/bin/python3 tools/dibujar_icono.py   (needs python3-pil)

The design is a keycap with a bold "ñ". The SVG and the PNGs of 32 px and up
come from one geometry on a 256 grid. At 16, 22 and 24 px a plain scale-down
turns the tilde and the arch of the "n" into grey mush, so those sizes use
their own geometry with stems and edges placed on whole pixels.
"""

import os

from PIL import Image, ImageDraw

RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ICONOS = os.path.join(RAIZ, "data", "icons")

OSCURO = (0x1D, 0x4F, 0x7A)
MEDIO = (0x2F, 0x76, 0xB5)
CARA = (0xF5, 0xF7, 0xFA)
LETRA = OSCURO

# Geometry: rectangles are (x0, y0, x1, y1, radius); strokes are
# (path, width) with path a list of ("M", x, y) / ("L", x, y) /
# ("C", x1, y1, x2, y2, x, y). Units are pixels of the target size.
DISEÑO_256 = {
    "lado": 256,
    "cuerpo": (12, 16, 244, 244, 40),
    "tapa": (12, 12, 244, 224, 40),
    "cara": (34, 26, 222, 202, 28),
    "trazos": [
        ([("M", 88, 106), ("L", 88, 184)], 26),
        ([("M", 88, 136), ("C", 88, 114, 104, 100, 127, 100),
          ("C", 152, 100, 168, 114, 168, 138), ("L", 168, 184)], 26),
        ([("M", 84, 74), ("C", 94, 56, 108, 54, 122, 64),
          ("C", 136, 74, 150, 74, 170, 54)], 15),
    ],
}

DISEÑOS_PEQUEÑOS = {
    16: {
        "lado": 16,
        "cuerpo": (0, 1, 16, 16, 3),
        "tapa": (0, 0, 16, 14.5, 3),
        "cara": (2, 1, 14, 12.5, 2),
        # At 16 px the letter is placed pixel by pixel: '#' solid, '+' and
        # '-' partial coverage.
        "letra": [
            "................",
            "................",
            "....-##+..+#....",
            "....#+.+##+-....",
            "................",
            "....##+##+-.....",
            "....###..+##....",
            "....##....##....",
            "....##....##....",
            "....##....##....",
            "....##....##....",
            "................",
            "................",
            "................",
            "................",
            "................",
        ],
    },
    22: {
        "lado": 22,
        "cuerpo": (1, 2, 21, 22, 4),
        "tapa": (1, 1, 21, 19.5, 4),
        "cara": (3, 2, 19, 17, 3),
        "trazos": [
            ([("M", 7.5, 10), ("L", 7.5, 14.7)], 3),
            ([("M", 7.5, 12), ("C", 7.5, 10.2, 9, 9.5, 11, 9.5),
              ("C", 13, 9.5, 14.5, 10.2, 14.5, 12.2), ("L", 14.5, 14.7)], 3),
            ([("M", 6.9, 6.2), ("C", 7.9, 4.3, 9.5, 4.3, 11, 5.3),
              ("C", 12.5, 6.3, 14.1, 6.3, 15.1, 4.4)], 2),
        ],
    },
    24: {
        "lado": 24,
        "cuerpo": (1, 2, 23, 24, 4),
        "tapa": (1, 1, 23, 21, 4),
        "cara": (3, 2, 21, 18.5, 3),
        "trazos": [
            ([("M", 8, 9.5), ("L", 8, 15.5)], 3),
            ([("M", 8, 12), ("C", 8, 10, 9.6, 9, 12, 9),
              ("C", 14.4, 9, 16, 10, 16, 12.2), ("L", 16, 15.5)], 3),
            ([("M", 7.6, 6.2), ("C", 8.6, 4.4, 10.2, 4.4, 11.8, 5.4),
              ("C", 13.4, 6.4, 15, 6.4, 16.2, 4.6)], 1.9),
        ],
    },
}

TAMAÑOS = (16, 22, 24, 32, 48, 64, 128, 256)
SOBREMUESTREO = 16


def escalar(diseño, lado):
    f = lado / diseño["lado"]

    def rect(r):
        return tuple(v * f for v in r)

    trazos = []
    for camino, ancho in diseño["trazos"]:
        nuevo = [(seg[0],) + tuple(v * f for v in seg[1:]) for seg in camino]
        trazos.append((nuevo, ancho * f))
    return {"lado": lado, "cuerpo": rect(diseño["cuerpo"]),
            "tapa": rect(diseño["tapa"]), "cara": rect(diseño["cara"]),
            "trazos": trazos}


def puntos(camino, pasos=64):
    """Flattens a path into a dense list of points."""
    out = []
    x, y = 0.0, 0.0
    for seg in camino:
        if seg[0] == "M":
            x, y = seg[1], seg[2]
            out.append((x, y))
        elif seg[0] == "L":
            x1, y1 = seg[1], seg[2]
            for i in range(1, pasos + 1):
                t = i / pasos
                out.append((x + (x1 - x) * t, y + (y1 - y) * t))
            x, y = x1, y1
        else:
            _, ax, ay, bx, by, cx, cy = seg
            for i in range(1, pasos + 1):
                t = i / pasos
                u = 1 - t
                out.append((u * u * u * x + 3 * u * u * t * ax + 3 * u * t * t * bx + t * t * t * cx,
                            u * u * u * y + 3 * u * u * t * ay + 3 * u * t * t * by + t * t * t * cy))
            x, y = cx, cy
    return out


def pintar(diseño):
    s = SOBREMUESTREO
    lado = diseño["lado"]
    img = Image.new("RGBA", (lado * s, lado * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    for clave, color in (("cuerpo", OSCURO), ("tapa", MEDIO), ("cara", CARA)):
        x0, y0, x1, y1, r = diseño[clave]
        d.rounded_rectangle((x0 * s, y0 * s, x1 * s - 1, y1 * s - 1), radius=r * s, fill=color)
    # A stroke with round caps and joins is the union of discs along the path.
    for camino, ancho in diseño.get("trazos", []):
        r = ancho * s / 2
        for px, py in puntos(camino):
            d.ellipse((px * s - r, py * s - r, px * s + r, py * s + r), fill=LETRA)
    img = img.resize((lado, lado), Image.LANCZOS if lado >= 64 else Image.BOX)
    if "letra" in diseño:
        pix = img.load()
        cobertura = {"#": 1.0, "+": 0.6, "-": 0.3}
        for y, fila in enumerate(diseño["letra"]):
            for x, c in enumerate(fila):
                a = cobertura.get(c)
                if a:
                    r, g, b, al = pix[x, y]
                    pix[x, y] = tuple(int(round(v * (1 - a) + w * a))
                                      for v, w in zip((r, g, b), LETRA)) + (al,)
    return img


def svg(diseño):
    def rect(r, color):
        x0, y0, x1, y1, rad = r
        return ('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" ry="%g" '
                'fill="#%02x%02x%02x" stroke="none"/>\n'
                % ((x0, y0, x1 - x0, y1 - y0, rad, rad) + color))

    def camino(c):
        partes = []
        for seg in c:
            partes.append(seg[0] + " " + " ".join("%g" % v for v in seg[1:]))
        return " ".join(partes)

    out = ['<?xml version="1.0" encoding="UTF-8"?>\n',
           '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">\n',
           '  <title>Pulsoteclado</title>\n',
           rect(diseño["cuerpo"], OSCURO), rect(diseño["tapa"], MEDIO), rect(diseño["cara"], CARA)]
    for c, ancho in diseño["trazos"]:
        out.append('  <path d="%s" fill="none" stroke="#%02x%02x%02x" stroke-width="%g" '
                   'stroke-linecap="round" stroke-linejoin="round"/>\n'
                   % ((camino(c),) + LETRA + (ancho,)))
    out.append("</svg>\n")
    return "".join(out)


def main():
    os.makedirs(ICONOS, exist_ok=True)
    with open(os.path.join(ICONOS, "pulsoteclado.svg"), "w", encoding="utf-8") as f:
        f.write(svg(DISEÑO_256))
    for n in TAMAÑOS:
        diseño = DISEÑOS_PEQUEÑOS.get(n) or escalar(DISEÑO_256, n)
        carpeta = os.path.join(ICONOS, "hicolor", "%dx%d" % (n, n), "apps")
        os.makedirs(carpeta, exist_ok=True)
        ruta = os.path.join(carpeta, "pulsoteclado.png")
        pintar(diseño).save(ruta, optimize=True)
        print(ruta)


if __name__ == "__main__":
    main()
