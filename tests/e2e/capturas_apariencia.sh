#!/usr/bin/env bash
# Screenshots of the real program on another desktop look, for docs/: idle, running, and a dialog,
# with the keys coloured by finger and the painted hands. The look comes from the environment:
#   tests/e2e/capturas_apariencia.sh build/normal/pulsoteclado docs oscuro QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
#   tests/e2e/capturas_apariencia.sh build/normal/pulsoteclado docs doble QT_SCALE_FACTOR=2
# Needs Xvfb, xdotool and ImageMagick (and qt6-gtk-platformtheme for the GTK theme).
set -euo pipefail
programa=$(realpath "$1"); salida=$(realpath "$2"); prefijo=$3; shift 3
casa=$(mktemp -d); pantalla=:$((90 + RANDOM % 20))
pid_prog=; pid_x=
trap 'kill $pid_prog $pid_x 2>/dev/null || true; rm -rf "$casa"' EXIT
mkdir -p "$casa/datos/Pulsoteclado" "$casa/run" "$casa/config"; chmod 700 "$casa/run"
# Painted hands and coloured keys.
python3 - "$casa/datos/Pulsoteclado/pulsoteclado.cfg" <<'PY'
import struct, sys
b = bytearray(3936); b[0] = 1; b[52] = 2; b[53] = 1
open(sys.argv[1], "wb").write(bytes(b) + b"\x1aChkZORP" + struct.pack("<I", sum(b)))
PY
Xvfb $pantalla -screen 0 1800x1300x24 -nolisten tcp 2>/dev/null & pid_x=$!
export DISPLAY=$pantalla
for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
env HOME="$casa" XDG_DATA_HOME="$casa/datos" XDG_CONFIG_HOME="$casa/config" XDG_RUNTIME_DIR="$casa/run" \
  QT_QPA_PLATFORM=xcb "$@" "$programa" 2>/dev/null & pid_prog=$!
ventana=$(xdotool search --sync --onlyvisible --name '^Pulsoteclado$' | head -1)
xdotool windowfocus --sync "$ventana"; sleep 0.8
recorte=$(xdotool getwindowgeometry --shell "$ventana" | awk -F= '/^X=/{x=$2}/^Y=/{y=$2}/^WIDTH=/{w=$2}/^HEIGHT=/{h=$2}END{print w"x"h"+"x"+"y}')
captura() { sleep 0.6; import -window root -crop "$2" +repage "$salida/$prefijo-$1"; }
captura reposo.png "$recorte"
xdotool key F6; sleep 0.2
xdotool type --delay 40 'qwert qwert tre'
captura ejercicio.png "$recorte"
xdotool key F6
xdotool windowfocus --sync "$ventana"; xdotool key F9; sleep 0.8
captura configuracion.png "$recorte"
xdotool key Escape
echo "screenshots in $salida/$prefijo-*.png"
