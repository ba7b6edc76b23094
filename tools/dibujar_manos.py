#!/usr/bin/python3
"""Draws data/manos.jpg and data/manos_pintadas.jpg (444 x 275), and the same
pictures at twice the size for high-density screens (manos@2x.jpg, 888 x 550).

Run: /usr/bin/python3 tools/dibujar_manos.py [--escala 2]   (needs python3-pil)
Without --escala it writes the pictures at their size and tests/data/manos_rota.jpg.

Two hands seen from above, palms down, resting on a faint keyboard: the
fingertips on the home row, the thumbs on the space bar. The second picture
is the same drawing with each fingertip painted in the colour of its finger.
Everything is drawn at 4x and scaled down, which gives the soft edges.
The picture sits under black text, so the background and the keyboard are
kept very light and low in contrast.
"""

import math
import os
import random
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATOS = os.path.join(RAIZ, "data")

ANCHO, ALTO = 444, 275
S = 4  # supersampling factor
CENTRO_X = ANCHO / 2

FONDO = (240, 240, 238)
CAJA_TECLADO = (232, 232, 230)
TECLA = (247, 247, 246)
BORDE_TECLA = (220, 220, 218)

PIEL = (243, 206, 180)
PIEL_SOMBRA = (222, 170, 140)
PIEL_LUZ = (249, 222, 200)
CONTORNO = (168, 110, 84)
UÑA = (251, 229, 220)
BORDE_UÑA = (216, 164, 142)
ARRUGA = (220, 166, 138)

COLOR_DEDO = {
    "meñique": (255, 0, 0),
    "anular": (255, 255, 0),
    "corazón": (0, 255, 0),
    "índice": (0, 255, 255),
    "pulgar": (0, 0, 139),
}

# Keyboard: a 15-unit wide ISO layout, key pitch P, with the gap between the
# G and H keys on the centre line so both hands sit symmetrically.
P = 25.0
FILA_Y = [42.0, 67.0, 92.0, 117.0, 142.0]  # centres of the five rows
X0 = CENTRO_X - 6.75 * P
FILAS = [
    [1] * 13 + [2],
    [1.5] + [1] * 12 + [1.5],
    [1.75] + [1] * 12 + [1.25],
    [1.25] + [1] * 11 + [2.75],
    [1.25, 1.25, 1.25, 6.25, 1.25, 1.25, 1.25, 1.25],
]

# Left hand, in final pixels. Each finger is a tube along a quadratic curve
# (base, control, tip end) with widths at base and tip; the tip point is the
# far end of the rounded cap. Fingertips rest on A S D F, the thumb on the
# space bar. The right hand is the mirror image.
DEDOS_IZQ = [
    # name, base, control, tip, width at base, width at tip
    ("meñique", (117.0, 172.0), (112.5, 131.0), (108.5, 93.0), 18.5, 15.0),
    ("anular", (137.5, 161.0), (135.5, 120.0), (134.0, 80.0), 20.5, 16.5),
    ("corazón", (158.0, 157.0), (158.8, 115.0), (159.5, 74.0), 21.5, 17.5),
    ("índice", (178.0, 162.0), (181.0, 122.0), (184.0, 82.0), 21.0, 17.0),
    ("pulgar", (181.0, 244.0), (199.5, 196.0), (207.0, 145.0), 29.0, 18.5),
]

PALMA_IZQ = [
    (108.0, 165.0), (104.0, 192.0), (107.0, 226.0), (114.0, 258.0),
    (117.0, 300.0), (182.0, 300.0), (185.0, 268.0), (194.0, 248.0),
    (196.0, 215.0), (193.0, 180.0), (186.0, 156.0), (160.0, 148.0),
    (137.0, 151.0), (118.0, 158.0),
]


def spline_cerrada(puntos, pasos=24):
    """Closed Catmull-Rom spline through the points, as a polygon."""
    n = len(puntos)
    out = []
    for i in range(n):
        p0, p1, p2, p3 = (puntos[(i - 1) % n], puntos[i],
                          puntos[(i + 1) % n], puntos[(i + 2) % n])
        for k in range(pasos):
            t = k / pasos
            t2, t3 = t * t, t * t * t
            out.append(tuple(
                0.5 * ((2 * p1[j]) + (-p0[j] + p2[j]) * t
                       + (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t2
                       + (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t3)
                for j in range(2)))
    return out


def bezier(p0, p1, p2, t):
    u = 1 - t
    return (u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
            u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1])


def tangente(p0, p1, p2, t):
    dx = 2 * (1 - t) * (p1[0] - p0[0]) + 2 * t * (p2[0] - p1[0])
    dy = 2 * (1 - t) * (p1[1] - p0[1]) + 2 * t * (p2[1] - p1[1])
    m = math.hypot(dx, dy) or 1.0
    return dx / m, dy / m


class Dedo:
    def __init__(self, nombre, base, control, punta, w0, w1):
        self.nombre = nombre
        self.w0, self.w1 = w0, w1
        # The curve ends at the centre of the tip cap, half a tip width
        # short of the tip point.
        dx, dy = punta[0] - control[0], punta[1] - control[1]
        m = math.hypot(dx, dy)
        fin = (punta[0] - dx / m * w1 / 2, punta[1] - dy / m * w1 / 2)
        self.curva = (base, control, fin)

    def ancho(self, t):
        # Slight swelling at the middle joint keeps the finger from looking
        # like a straight tube.
        return self.w0 + (self.w1 - self.w0) * t + 1.2 * math.exp(-((t - 0.55) / 0.12) ** 2)

    def punto(self, t):
        return bezier(*self.curva, t)

    def normal(self, t):
        tx, ty = tangente(*self.curva, t)
        return -ty, tx

    def contorno(self, t0=0.0, t1=1.0, escala=1.0, tapa_inicio=False, extra_base=0.0, pasos=60):
        """Polygon of the finger between t0 and t1, round cap at t1 (and at
        t0 if asked), widths multiplied by escala."""
        izq, der = [], []
        for k in range(pasos + 1):
            t = t0 + (t1 - t0) * k / pasos
            (x, y), (nx, ny) = self.punto(t), self.normal(t)
            h = self.ancho(t) * escala / 2
            izq.append((x + nx * h, y + ny * h))
            der.append((x - nx * h, y - ny * h))
        poly = []
        if extra_base:
            (x, y) = self.punto(t0)
            tx, ty = tangente(*self.curva, t0)
            (nx, ny) = self.normal(t0)
            h = self.ancho(t0) * escala / 2
            bx, by = x - tx * extra_base, y - ty * extra_base
            poly.append((bx - nx * h, by - ny * h))
            poly.append((bx + nx * h, by + ny * h))
        poly += izq
        poly += self._arco(t1, escala, +1)
        poly += der[::-1]
        if tapa_inicio:
            poly += self._arco(t0, escala, -1)
        return poly

    def _arco(self, t, escala, sentido):
        """Half circle at t: from +normal round the tangent to -normal for
        the tip (sentido=+1), from -normal round the back to +normal for the
        start (sentido=-1)."""
        (x, y), (nx, ny) = self.punto(t), self.normal(t)
        tx, ty = tangente(*self.curva, t)
        r = self.ancho(t) * escala / 2
        out = []
        for k in range(1, 24):
            a = math.pi * k / 24
            vx = sentido * (nx * math.cos(a) + tx * math.sin(a))
            vy = sentido * (ny * math.cos(a) + ty * math.sin(a))
            out.append((x + vx * r, y + vy * r))
        return out


def espejo(p):
    return (2 * CENTRO_X - p[0], p[1])


def manos():
    """Returns (palms, fingers) for both hands."""
    palmas = [PALMA_IZQ, [espejo(p) for p in PALMA_IZQ]]
    dedos = []
    for nombre, b, c, t, w0, w1 in DEDOS_IZQ:
        dedos.append(Dedo(nombre, b, c, t, w0, w1))
        dedos.append(Dedo(nombre, espejo(b), espejo(c), espejo(t), w0, w1))
    return palmas, dedos


def escalar(poly):
    return [(x * S, y * S) for x, y in poly]


def mascara(polys):
    m = Image.new("L", (ANCHO * S, ALTO * S), 0)
    d = ImageDraw.Draw(m)
    for p in polys:
        d.polygon(escalar(p), fill=255)
    return m


def dibujar_teclado(img):
    d = ImageDraw.Draw(img)
    gap = 2.2
    d.rounded_rectangle(escalar_rect((X0 - 6, FILA_Y[0] - P / 2 - 6,
                                      X0 + 15 * P + 6, FILA_Y[4] + P / 2 + 6)),
                        radius=8 * S, fill=CAJA_TECLADO)
    for fila, anchos in enumerate(FILAS):
        x = X0
        cy = FILA_Y[fila]
        for w in anchos:
            r = (x + gap / 2, cy - P / 2 + gap / 2, x + w * P - gap / 2, cy + P / 2 - gap / 2)
            d.rounded_rectangle(escalar_rect(r), radius=3 * S, fill=BORDE_TECLA)
            r2 = (r[0] + 0.8, r[1] + 0.8, r[2] - 0.8, r[3] - 1.4)
            d.rounded_rectangle(escalar_rect(r2), radius=2.5 * S, fill=TECLA)
            x += w * P


def escalar_rect(r):
    return tuple(v * S for v in r)


def color_img(color):
    return Image.new("RGB", (ANCHO * S, ALTO * S), color)


def dibujar(pintada, escala=1):
    palmas, dedos = manos()
    img = color_img(FONDO)
    dibujar_teclado(img)

    polys_mano = list(palmas) + [dd.contorno(extra_base=12) for dd in dedos]
    # Blurring and re-thresholding rounds off the sharp notches where the
    # fingers leave the palm.
    m = mascara(polys_mano).filter(ImageFilter.GaussianBlur(1.5 * S)).point(
        lambda v: 255 if v >= 128 else 0)

    # Soft drop shadow on the keyboard.
    sombra = Image.new("L", m.size, 0)
    sombra.paste(m, (2 * S, 4 * S))
    sombra = sombra.filter(ImageFilter.GaussianBlur(5 * S)).point(lambda v: int(v * 0.22))
    img = Image.composite(color_img((120, 110, 105)), img, sombra)

    # Skin, darker towards the edges so the shapes read as rounded.
    interior = m.filter(ImageFilter.GaussianBlur(3.5 * S))
    borde = ImageChops.subtract(m, interior).point(lambda v: min(255, int(v * 1.6)))
    piel = Image.composite(color_img(PIEL_SOMBRA), color_img(PIEL), borde)
    # A soft light along the middle of each shape gives some volume.
    brillo = m.filter(ImageFilter.MinFilter(4 * S + 1)).filter(ImageFilter.GaussianBlur(4 * S))
    brillo = brillo.point(lambda v: int(v * 0.55))
    piel = Image.composite(color_img(PIEL_LUZ), piel, brillo)
    img = Image.composite(piel, img, m)

    d = ImageDraw.Draw(img)
    pinta = Image.new("L", m.size, 0)
    dp = ImageDraw.Draw(pinta)
    for dd in dedos:
        if pintada:
            t0 = 0.70 if dd.nombre != "pulgar" else 0.72
            capa = Image.new("L", m.size, 0)
            ImageDraw.Draw(capa).polygon(escalar(dd.contorno(t0=t0)), fill=255)
            img.paste(COLOR_DEDO[dd.nombre], (0, 0), capa)
            dp.polygon(escalar(dd.contorno(t0=t0)), fill=255)
        else:
            # Nail: a narrower rounded shape set back from the tip.
            t0 = 0.80 if dd.nombre != "pulgar" else 0.74
            d.polygon(escalar(dd.contorno(t0=t0, t1=0.985, escala=0.62, tapa_inicio=True)),
                      fill=BORDE_UÑA)
            d.polygon(escalar(dd.contorno(t0=t0 + 0.012, t1=0.975, escala=0.52, tapa_inicio=True)),
                      fill=UÑA)
        # Wrinkles over the middle joint.
        tj = 0.52 if dd.nombre != "pulgar" else 0.50
        if not (pintada and tj >= 0.66):
            for off in (-0.018, 0.018):
                arruga(d, dd, tj + off, 0.45)
        # Knuckle: a faint curved line where the finger leaves the hand.
        if dd.nombre != "pulgar":
            arruga(d, dd, 0.10, 0.55, grosor=1.0, color=PIEL_SOMBRA)

    # Outline: the edge band of the whole silhouette.
    grueso = m.filter(ImageFilter.MaxFilter(5))
    fino = m.filter(ImageFilter.MinFilter(5))
    linea = ImageChops.subtract(grueso, fino)
    img = Image.composite(color_img(CONTORNO), img, linea)

    # The drawing is made at S times the size; the larger picture keeps more of it.
    img = img.resize((ANCHO * escala, ALTO * escala), Image.LANCZOS)
    return img


def arruga(d, dd, t, largo, grosor=0.9, color=ARRUGA):
    """A short line across the finger at parameter t, bowed towards the tip."""
    (x, y), (nx, ny) = dd.punto(t), dd.normal(t)
    tx, ty = tangente(*dd.curva, t)
    h = dd.ancho(t) * largo / 2
    pts = []
    for k in range(9):
        s = -1 + 2 * k / 8
        bow = (1 - s * s) * 1.2
        pts.append(((x + nx * h * s + tx * bow) * S, (y + ny * h * s + ty * bow) * S))
    d.line(pts, fill=color, width=max(1, int(round(grosor * S))), joint="curve")


def escribir_rota():
    """tests/data/manos_rota.jpg: the first 600 bytes of manos.jpg (every
    header and the start of the scan) followed by seeded pseudo-random bytes,
    same total length. libjpeg only warns about bad entropy data, but the
    junk also holds 0xFF bytes it takes for markers, and it aborts on those
    ("Unsupported marker type"), so a decoder gets a hard error after a good
    header."""
    with open(os.path.join(DATOS, "manos.jpg"), "rb") as f:
        buena = f.read()
    rnd = random.Random(20240)
    basura = bytes(rnd.randrange(256) for _ in range(len(buena) - 600))
    carpeta = os.path.join(RAIZ, "tests", "data")
    os.makedirs(carpeta, exist_ok=True)
    ruta = os.path.join(carpeta, "manos_rota.jpg")
    with open(ruta, "wb") as f:
        f.write(buena[:600] + basura)
    print(ruta)


def main():
    escala = int(sys.argv[sys.argv.index("--escala") + 1]) if "--escala" in sys.argv else 1
    sufijo = "" if escala == 1 else f"@{escala}x"
    for nombre, pintada in (("manos", False), ("manos_pintadas", True)):
        ruta = os.path.join(DATOS, f"{nombre}{sufijo}.jpg")
        dibujar(pintada, escala).save(ruta, "JPEG", quality=90, optimize=True,
                                      progressive=False, subsampling=0)
        print(ruta)
    if escala == 1:
        escribir_rota()


if __name__ == "__main__":
    main()
