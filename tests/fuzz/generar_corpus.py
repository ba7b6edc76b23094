#!/usr/bin/env python3
"""Writes the seed corpus of the store's fuzz targets into tests/fuzz/corpus/.

The files are committed; run this again only to change them. Input formats are described at the
top of fuzz_carga.cpp and fuzz_checksum.cpp.
"""
import os
import struct

AQUI = os.path.dirname(os.path.abspath(__file__))
MARCA = b"\x1aChkZORP"
BLOQUE = 3936


def sellar(b):
    return b + MARCA + struct.pack("<I", sum(b) & 0xFFFFFFFF)


def patron(n, semilla):
    x = (semilla * 2654435761 + 1) & 0xFFFFFFFF
    out = bytearray()
    for _ in range(n):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out)


def bloque_con_progreso():
    b = bytearray(BLOQUE)
    b[0] = 1
    b[2:52] = patron(50, 1)
    b[52], b[53], b[54], b[55] = 2, 1, 1, 0
    b[56:156] = patron(100, 2)
    for i in range(0, 1260, 7):
        b[156 + i] = 1
    for i in range(0, 1260, 5):
        struct.pack_into("<H", b, 1416 + 2 * i, (i * 257 + 3) & 0xFFFF)
    return bytes(b)


def escribir(carpeta, nombre, datos):
    ruta = os.path.join(AQUI, "corpus", carpeta)
    os.makedirs(ruta, exist_ok=True)
    with open(os.path.join(ruta, nombre), "wb") as f:
        f.write(datos)


def main():
    valido = sellar(bloque_con_progreso())
    danado = bytearray(valido)
    danado[2000] ^= 0x10

    # Loader: first byte even = file as it is, odd = the harness seals the rest.
    escribir("carga", "valido", b"\x00" + valido)
    escribir("carga", "valido_sellado_por_el_arnes", b"\x01" + bloque_con_progreso())
    escribir("carga", "suma_erronea", b"\x00" + bytes(danado))
    escribir("carga", "sin_trailer", b"\x00" + bloque_con_progreso())
    escribir("carga", "trailer_solo", b"\x00" + MARCA + b"\x00\x00\x00\x00")
    escribir("carga", "corto_sellado", b"\x01" + patron(100, 3))
    escribir("carga", "corto_sin_trailer", b"\x00" + patron(40, 4))
    escribir("carga", "justo_el_bloque_sellado", b"\x01" + patron(BLOQUE - 12, 5))
    escribir("carga", "largo_sellado", b"\x01" + patron(5000, 6))
    escribir("carga", "vacio", b"")
    escribir("carga", "un_byte", b"\x00")

    # Checksummed file: under 8 bytes the file as it is; otherwise 7 steering bytes, then the file.
    def cab(ordenes, valor=0, desplazamiento=0, base=0):
        # Tiled length: base << (desplazamiento % 11) + desplazamiento // 11.
        return bytes([ordenes]) + struct.pack("<I", valor) + bytes([desplazamiento, base])

    escribir("checksum", "valido", cab(0) + valido)
    escribir("checksum", "suma_erronea", cab(1) + bytes(danado))
    escribir("checksum", "trailer_solo", cab(2) + MARCA + b"\x00\x00\x00\x00")
    escribir("checksum", "sin_trailer", cab(3) + patron(100, 7))
    escribir("checksum", "sellar_mal_primero", cab(16 | 32, 0xDEADBEEF) + patron(300, 8))
    escribir("checksum", "un_trozo_y_algo", cab(8, 0, 8 + 11, 240) + patron(997, 9))  # 61441 bytes
    escribir("checksum", "varios_trozos", cab(8, 0, 10 + 22, 200) + patron(991, 10))  # 204802 bytes
    escribir("checksum", "ausente", cab(64, 5) + b"x")
    escribir("checksum", "corto", b"\x1aCh")
    escribir("checksum", "vacio", b"")


if __name__ == "__main__":
    main()
