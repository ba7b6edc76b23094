#!/usr/bin/env bash
# Screenshots of the real program for docs/: a running exercise, the coloured keyboard with the
# painted hands and a key held down, the four dialogs, and an exercise with the aids while typing
# on. Needs Xvfb, xdotool and ImageMagick.
#   tests/e2e/capturas.sh build/normal/pulsoteclado docs
set -euo pipefail
programa=$(realpath "$1"); salida=$(realpath "${2:-docs}")
casa=$(mktemp -d); pantalla=:$((70 + RANDOM % 20))
trap 'kill $pid_prog $pid_x 2>/dev/null || true; rm -rf "$casa"' EXIT
mkdir -p "$casa/datos/Pulsoteclado" "$casa/run"; chmod 700 "$casa/run"
# Painted hands, coloured keys, and some progress in unit 1 for the graph.
python3 - "$casa/datos/Pulsoteclado/pulsoteclado.cfg" <<'PY'
import random, struct, sys
b = bytearray(3936); b[0] = 1; b[52] = 2; b[53] = 1
random.seed(7)
for l in range(2):
    for e in range(12):
        k = 15 * l + e
        if l == 0 or e < 5:
            b[156 + k] = 1
        struct.pack_into("<H", b, 1416 + 2 * k, random.randint(1, 9))
b[156 + 15] = 0
open(sys.argv[1], "wb").write(bytes(b) + b"\x1aChkZORP" + struct.pack("<I", sum(b)))
PY
Xvfb $pantalla -screen 0 1024x768x24 -nolisten tcp & pid_x=$!
export DISPLAY=$pantalla
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
arrancar() {
    env HOME="$casa" XDG_DATA_HOME="$casa/datos" XDG_CONFIG_HOME="$casa/config" XDG_RUNTIME_DIR="$casa/run" \
        QT_QPA_PLATFORM=xcb "$programa" 2>/dev/null & pid_prog=$!
    ventana=$(xdotool search --sync --name '^Pulsoteclado$' | head -1)
    xdotool windowfocus --sync "$ventana"; sleep 0.5
}
arrancar
captura() { sleep 0.6; import -window root -crop "$2" +repage "$salida/$1"; }
recorte=$(xdotool getwindowgeometry --shell "$ventana" | awk -F= '/^X=/{x=$2}/^Y=/{y=$2}/^WIDTH=/{w=$2}/^HEIGHT=/{h=$2}END{print w"x"h"+"x"+"y}')
# The keyboard coloured by finger, the painted hands, Shift held down.
xdotool keydown --window "$ventana" shift; captura teclado.png "$recorte"; xdotool keyup shift
# A running exercise, partly typed.
xdotool windowfocus --sync "$ventana"; xdotool key F6; sleep 0.2
xdotool type --delay 40 'asdfg asdfg gfd'
captura ejercicio.png "$recorte"
xdotool key F6
# The four dialogs.
dialogo() {  # key, file, keys to close
    xdotool windowfocus --sync "$ventana"; xdotool key "$1"; sleep 0.8
    captura "$2" "$recorte"
    xdotool key "$3"; sleep 0.4
}
dialogo F5 dialogo-lecciones.png Escape
dialogo F9 dialogo-configuracion.png Escape
dialogo F1 dialogo-sobre.png Escape
xdotool windowfocus --sync "$ventana"; xdotool key F7; sleep 0.8; captura dialogo-unidad.png "$recorte"
xdotool key Return; sleep 0.8; captura grafico.png 1024x768+0+0; xdotool key Escape
# The aids while typing, all on: the next key lit, a wrong character in red, the next character
# underlined, speed and accuracy in the heading.
xdotool key Escape; sleep 0.3
kill $pid_prog; wait $pid_prog 2>/dev/null || true
mkdir -p "$casa/config/Pulsoteclado"
printf '[Ayudas]\nSiguienteTecla=true\nEsperaSiguienteTecla=0\nMarcarErrores=true\nVelocidadYAciertos=true\n' \
    >"$casa/config/Pulsoteclado/pulsoteclado.conf"
arrancar
xdotool key F6; sleep 0.2
xdotool type --delay 120 'qpqpqpqpqpqpqpqp wowowowowowowowo eieieieieiex'
sleep 1.5
captura ayudas.png "$recorte"
xdotool key F6
echo "screenshots in $salida"
