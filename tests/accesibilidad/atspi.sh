#!/usr/bin/env bash
# The program as a screen reader sees it over AT-SPI: its own Xvfb and D-Bus session, the
# accessibility bus started on demand, the real program driven with X key events.
#   tests/accesibilidad/atspi.sh build/normal/pulsoteclado
# Needs: xvfb xdotool dbus at-spi2-core python3-pyatspi.
set -euo pipefail
programa=$(realpath "$1"); aqui=$(dirname "$(readlink -f "$0")")
casa=$(mktemp -d); pantalla=:$((120 + RANDOM % 60))
pid_x=
trap '[ -n "$pid_x" ] && kill $pid_x 2>/dev/null; rm -rf "$casa"' EXIT
mkdir -p "$casa/datos" "$casa/config" "$casa/run"; chmod 700 "$casa/run"
Xvfb $pantalla -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & pid_x=$!
export DISPLAY=$pantalla HOME="$casa" XDG_DATA_HOME="$casa/datos" XDG_CONFIG_HOME="$casa/config" XDG_RUNTIME_DIR="$casa/run"
for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
dbus-run-session -- /usr/bin/python3 "$aqui/atspi.py" "$programa"
