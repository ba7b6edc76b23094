#!/usr/bin/python3
"""Synthesises data/bien.wav, data/mal.wav and data/clic.wav.

Run from anywhere: python3 tools/sintetizar_sonidos.py
All three are 16-bit mono PCM at 44100 Hz. Every sound starts and ends at
silence (short raised-cosine fades) so the player never pops.
"""

import math
import os
import random
import struct
import wave

TASA = 44100
RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATOS = os.path.join(RAIZ, "data")


def muestras(segundos):
    return int(round(segundos * TASA))


def mezclar(destino, fuente, desde):
    for i, v in enumerate(fuente):
        j = desde + i
        if j < len(destino):
            destino[j] += v


def nota(frec, dur, ataque=0.006, caida=6.0, armonicos=((1, 1.0), (2, 0.35), (3, 0.12), (4, 0.05))):
    """A soft bell-like note: a few harmonics, quick attack, exponential decay.

    Higher harmonics die faster, as in a struck bar, which keeps the chime
    from sounding like a buzzer.
    """
    n = muestras(dur)
    out = [0.0] * n
    na = max(1, muestras(ataque))
    for i in range(n):
        t = i / TASA
        env = 0.5 - 0.5 * math.cos(math.pi * i / na) if i < na else 1.0
        v = 0.0
        for k, a in armonicos:
            v += a * math.exp(-caida * k * 0.6 * t) * math.sin(2 * math.pi * frec * k * t)
        out[i] = v * env * math.exp(-caida * t)
    return out


def desvanecer(señal, entrada=0.004, salida=0.030):
    """Raised-cosine fade in and out so the first and last samples are zero."""
    n = len(señal)
    ne = min(n // 2, muestras(entrada))
    ns = min(n // 2, muestras(salida))
    for i in range(ne):
        señal[i] *= 0.5 - 0.5 * math.cos(math.pi * i / ne)
    for i in range(ns):
        señal[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / ns)
    señal[0] = 0.0
    señal[-1] = 0.0
    return señal


def normalizar(señal, pico):
    m = max(abs(v) for v in señal) or 1.0
    return [v * pico / m for v in señal]


def escribir(nombre, señal):
    ruta = os.path.join(DATOS, nombre)
    datos = bytearray()
    for v in señal:
        s = int(round(v * 32767))
        s = max(-32767, min(32767, s))
        datos += struct.pack("<h", s)
    with wave.open(ruta, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(TASA)
        w.writeframes(bytes(datos))
    print("%s: %d muestras (%.3f s), pico %.3f" % (
        ruta, len(señal), len(señal) / TASA, max(abs(v) for v in señal)))


def bien():
    # Rising major arpeggio C6 - E6 - G6, each note ringing under the next.
    total = muestras(0.52)
    s = [0.0] * total
    for frec, inicio, dur in ((1046.50, 0.000, 0.30),
                              (1318.51, 0.090, 0.30),
                              (1567.98, 0.180, 0.34)):
        mezclar(s, nota(frec, dur, caida=7.0), muestras(inicio))
    return normalizar(desvanecer(s, salida=0.060), 0.70)


def mal():
    # Two low notes falling a tritone-ish step, with a gentle downward glide,
    # rounder (fewer harmonics) so it reads as "no" without being harsh.
    total = muestras(0.50)
    s = [0.0] * total
    for f0, f1, inicio, dur in ((293.66, 277.18, 0.000, 0.22),
                                (207.65, 185.00, 0.200, 0.30)):
        n = muestras(dur)
        fase = 0.0
        na = muestras(0.008)
        for i in range(n):
            t = i / TASA
            f = f0 + (f1 - f0) * (i / n)
            fase += 2 * math.pi * f / TASA
            env = (0.5 - 0.5 * math.cos(math.pi * i / na)) if i < na else 1.0
            env *= math.exp(-4.5 * t)
            v = (math.sin(fase) + 0.30 * math.sin(2 * fase) + 0.10 * math.sin(3 * fase))
            j = muestras(inicio) + i
            if j < total:
                s[j] += v * env
    return normalizar(desvanecer(s, salida=0.050), 0.70)


def clic():
    # A short tick: a damped high partial plus a burst of filtered noise,
    # both decaying within a few milliseconds. Fixed seed: reproducible file.
    rnd = random.Random(1234)
    n = muestras(0.020)
    s = [0.0] * n
    previo = 0.0
    for i in range(n):
        t = i / TASA
        ruido = rnd.uniform(-1.0, 1.0)
        previo = previo + 0.45 * (ruido - previo)  # one-pole low-pass softens the hiss
        tono = math.sin(2 * math.pi * 3200 * t) + 0.5 * math.sin(2 * math.pi * 1700 * t)
        s[i] = (0.55 * previo + 0.6 * tono) * math.exp(-t / 0.0032)
    return normalizar(desvanecer(s, entrada=0.0004, salida=0.004), 0.80)


if __name__ == "__main__":
    os.makedirs(DATOS, exist_ok=True)
    escribir("bien.wav", bien())
    escribir("mal.wav", mal())
    escribir("clic.wav", clic())
