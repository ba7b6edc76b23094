#!/usr/bin/env bash
# Runs the real program under valgrind's memcheck, on the offscreen platform, for a scripted
# session: start, the first exercise typed correctly, a run abandoned, every dialog opened and
# cancelled, close (the session is tests/fuzz/sesion_valgrind.cpp, loaded with LD_PRELOAD). Then
# reports the "definitely lost" blocks whose allocation stack passes through the program's own
# source (src/), and fails when there is any, or when the session did not complete.
# Leaks inside Qt, fontconfig, GLib and the like, reached from no project frame, are counted
# but not held against the program.
#
#   tests/fuzz/valgrind.sh [BUILD_DIR]      (default build/normal; the program must be built)
#
# Takes a few minutes; not part of the CTest suite for that reason.
set -euo pipefail

raiz=$(cd "$(dirname "$0")/../.." && pwd)
construccion=$(cd "${1:-$raiz/build/normal}" && pwd)
programa=$construccion/pulsoteclado
salida=$raiz/build/valgrind
[ -x "$programa" ] || { echo "$programa not built (cmake --build --preset normal --target pulsoteclado)" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind not found (Debian: apt-get install valgrind)" >&2; exit 2; }
mkdir -p "$salida"

echo "== building the session"
# shellcheck disable=SC2046
g++ -std=c++20 -shared -fPIC -O1 -g -Wall -Wextra -Werror -I "$raiz/src" $(pkg-config --cflags Qt6Widgets Qt6Test) \
    "$raiz/tests/fuzz/sesion_valgrind.cpp" "$raiz/src/keyboard/Traduccion.cpp" "$raiz/src/keyboard/TeclasFisicas.cpp" \
    $(pkg-config --libs Qt6Widgets Qt6Test) -o "$salida/libsesion.so"

casa=$(mktemp -d)
trap 'rm -rf "$casa"' EXIT
registro=$salida/memcheck.log
echo "== running $programa under valgrind (log: $registro)"
estado=0
inicio=$(date +%s)
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$casa" XDG_DATA_HOME="$casa/datos" \
    XDG_RUNTIME_DIR="$casa" XDG_CACHE_HOME="$casa/cache" LD_PRELOAD="$salida/libsesion.so" \
    timeout 1200 valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --fullpath-after= --num-callers=50 --log-file="$registro" "$programa" 2>"$salida/programa.log" || estado=$?
echo "== finished in $(( $(date +%s) - inicio )) s, exit status $estado"
grep '^sesion: ' "$salida/programa.log" || true

analisis=0
python3 - "$registro" "$raiz/src/" "$raiz/tests/" <<'PYTHON' || analisis=$?
import re, sys
registro, fuente, pruebas = sys.argv[1:4]
lineas = open(registro, errors="replace").read().splitlines()
prefijo = re.compile(r"^==\d+== ?")
cabecera = re.compile(r"([\d,]+) (?:\(([\d,]+) direct, [\d,]+ indirect\) )?bytes in ([\d,]+) blocks are definitely lost")
registros, actual = [], None
for l in lineas:
    texto = prefijo.sub("", l)
    m = cabecera.search(texto)
    if m:
        actual = {"bytes": int(m.group(1).replace(",", "")), "lineas": [texto]}
        registros.append(actual)
    elif actual is not None:
        if texto.strip():
            actual["lineas"].append(texto)
        else:
            actual = None
total = sum(r["bytes"] for r in registros)
propios = [r for r in registros if any(fuente in x for x in r["lineas"])]
sesion = [r for r in registros if r not in propios and any(pruebas in x for x in r["lineas"])]
resumen = [prefijo.sub("", l) for l in lineas if "definitely lost:" in l]
print("valgrind:", resumen[-1].strip() if resumen else "no leak summary (did the program end?)")
print("definitely lost: %d bytes in %d records; %d bytes in %d records with a frame in src/; %d bytes from the session driver"
      % (total, len(registros), sum(r["bytes"] for r in propios), len(propios), sum(r["bytes"] for r in sesion)))
for r in propios:
    print("\n".join(r["lineas"]))
    print()
sys.exit(1 if propios or not resumen else 0)
PYTHON
if ! grep -q '^sesion: completa' "$salida/programa.log"; then
    echo "the scripted session did not complete (see $salida/programa.log)" >&2
    exit 1
fi
[ "$estado" -eq 0 ] || { echo "the program ended with status $estado" >&2; exit 1; }
exit $analisis
