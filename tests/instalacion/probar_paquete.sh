#!/usr/bin/env bash
# Desktop integration and the Debian package: validates the desktop entry and the AppStream
# metadata, builds the .deb from a built tree into a scratch folder, unpacks it with dpkg -x
# and checks the installed layout, the control fields and that the program starts from it.
#
#   tests/instalacion/probar_paquete.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "uso: $0 CARPETA_DE_COMPILACION" >&2
  exit 2
fi
compilacion=$(cd "$1" && pwd)
fuentes=$(cd "$(dirname "$0")/../.." && pwd)
cache="$compilacion/CMakeCache.txt"

fallos=0
aciertos=0
ok() { aciertos=$((aciertos + 1)); }
falla() { echo "FALLO: $*" >&2; fallos=$((fallos + 1)); }
comprobar() {  # comprobar DESCRIPTION COMMAND...
  local que=$1; shift
  if "$@"; then ok; else falla "$que"; fi
}

for herramienta in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps; do
  command -v "$herramienta" >/dev/null || { echo "FALTA: $herramienta (make deps lo instala)" >&2; exit 1; }
done
[ -f "$cache" ] || { echo "FALTA: $cache (configure first)" >&2; exit 1; }
cpack=$(sed -n 's/^CMAKE_CPACK_COMMAND:INTERNAL=//p' "$cache")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache")
[ -x "$cpack" ] || cpack=$(command -v cpack)

escritorio="$fuentes/data/pulsoteclado.desktop"
metainfo="$fuentes/data/pulsoteclado.metainfo.xml"

# ---- the metadata files themselves
comprobar "desktop-file-validate rechaza $escritorio" desktop-file-validate "$escritorio"
comprobar "appstreamcli rechaza $metainfo" appstreamcli validate --no-net "$metainfo"

# The desktop file's basename is what the program announces (Wayland app_id, X11 hints),
# and what the metainfo's launchable points to.
nombre_programa=$(sed -n 's/.*setDesktopFileName(QStringLiteral("\([^"]*\)")).*/\1/p' "$fuentes/src/main.cpp")
comprobar "src/main.cpp fija setDesktopFileName(\"${nombre_programa}\"), el fichero es pulsoteclado.desktop" \
  test "$nombre_programa" = pulsoteclado
lanzable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
comprobar "launchable \"$lanzable\" no es pulsoteclado.desktop" test "$lanzable" = pulsoteclado.desktop
campo_escritorio() { sed -n "s/^$1=//p" "$escritorio"; }
comprobar "Icon= no es pulsoteclado" test "$(campo_escritorio Icon)" = pulsoteclado
comprobar "Exec= no es pulsoteclado" test "$(campo_escritorio Exec)" = pulsoteclado
comprobar "Categories= sin Education" grep -q '^Categories=.*Education;' "$escritorio"
comprobar "la versión $version no está entre las releases del metainfo" \
  grep -q "<release version=\"$version\"" "$metainfo"

# ---- build the package into a scratch folder
temporal=$(mktemp -d)
trap 'rm -rf "$temporal"' EXIT
if ! "$cpack" --config "$compilacion/CPackConfig.cmake" -G DEB -B "$temporal/paquete" >"$temporal/cpack.log" 2>&1; then
  cat "$temporal/cpack.log" >&2
  echo "FALLO: cpack" >&2
  exit 1
fi
shopt -s nullglob
debs=("$temporal"/paquete/pulsoteclado_*.deb)
shopt -u nullglob
if [ ${#debs[@]} -ne 1 ]; then
  echo "FALLO: se esperaba un pulsoteclado_*.deb, hay ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}
comprobar "nombre del paquete $(basename "$deb")" \
  test "$(basename "$deb")" = "pulsoteclado_${version}_$(dpkg --print-architecture).deb"

# ---- control fields
campo() { dpkg-deb -f "$deb" "$1"; }
comprobar "Package: $(campo Package)" test "$(campo Package)" = pulsoteclado
comprobar "Version: $(campo Version)" test "$(campo Version)" = "$version"
comprobar "Section: $(campo Section)" test "$(campo Section)" = education
comprobar "Maintainer: $(campo Maintainer)" \
  test "$(campo Maintainer)" = "Los autores de Pulsoteclado <pulsoteclado@example.org>"
comprobar "Description vacía" test -n "$(campo Description)"
depende=$(campo Depends)
echo "Depends: $depende"
# Package names only, without versions or alternatives.
nombres=$(printf '%s\n' "$depende" | tr ',|' '\n\n' | sed 's/([^)]*)//; s/^ *//; s/ *$//' | sort -u)
for p in libqt6widgets6 libjpeg62-turbo libqt6gui6 libqt6multimedia6 qt6-wayland fonts-liberation2 libc6; do
  comprobar "Depends sin $p" grep -qx "$p" <<<"$nombres"
done
comprobar "Depends con un paquete repetido" test "$(printf '%s\n' "$depende" | tr ',' '\n' | sed 's/(.*//; s/ //g' | sort | uniq -d)" = ""

# Only the program's files, all under /usr.
fuera=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./usr/' | grep -vx '\./' || true)
comprobar "ficheros fuera de /usr: $fuera" test -z "$fuera"

# ---- the unpacked layout
raiz="$temporal/raiz"
dpkg -x "$deb" "$raiz"
programa="$raiz/usr/lib/pulsoteclado/pulsoteclado"
comprobar "falta lib/pulsoteclado/pulsoteclado" test -f "$programa"
comprobar "lib/pulsoteclado/pulsoteclado no es ejecutable" test -x "$programa"
comprobar "lib/pulsoteclado/pulsoteclado no es un ELF" \
  test "$(head -c 4 "$programa" 2>/dev/null | od -An -c | tr -d ' ')" = '177ELF'
modulo="$raiz/usr/lib/pulsoteclado/pulsoteclado-sonido.so"
comprobar "falta lib/pulsoteclado/pulsoteclado-sonido.so (el sonido)" test -f "$modulo"
comprobar "pulsoteclado-sonido.so tiene bibliotecas sin resolver" \
  bash -c '! ldd "$1" | grep -q "not found"' _ "$modulo"
for s in bien.wav mal.wav; do
  comprobar "$s no está junto al programa o difiere de data/$s" \
    cmp -s "$fuentes/data/$s" "$raiz/usr/lib/pulsoteclado/$s"
done

enlace="$raiz/usr/bin/pulsoteclado"
comprobar "bin/pulsoteclado no es un enlace simbólico" test -L "$enlace"
destino=$(readlink "$enlace" || true)
comprobar "bin/pulsoteclado apunta a una ruta absoluta: $destino" test "${destino#/}" = "$destino"
comprobar "bin/pulsoteclado no lleva a lib/pulsoteclado/pulsoteclado" \
  test "$(readlink -f "$enlace")" = "$(readlink -f "$programa")"

comprobar "share/applications/pulsoteclado.desktop falta o difiere" \
  cmp -s "$escritorio" "$raiz/usr/share/applications/pulsoteclado.desktop"
comprobar "share/metainfo/pulsoteclado.metainfo.xml falta o difiere" \
  cmp -s "$metainfo" "$raiz/usr/share/metainfo/pulsoteclado.metainfo.xml"
comprobar "share/icons/hicolor/scalable/apps/pulsoteclado.svg falta o difiere" \
  cmp -s "$fuentes/data/icons/pulsoteclado.svg" "$raiz/usr/share/icons/hicolor/scalable/apps/pulsoteclado.svg"
comprobar "share/doc/pulsoteclado/copyright falta o difiere de LICENSE" \
  cmp -s "$fuentes/LICENSE" "$raiz/usr/share/doc/pulsoteclado/copyright"

# Every PNG size, each in its folder and really of that size (PNG width and height: bytes 16-23).
iconos=0
for png in "$fuentes"/data/icons/hicolor/*/apps/pulsoteclado.png; do
  tam=$(basename "$(dirname "$(dirname "$png")")")
  instalado="$raiz/usr/share/icons/hicolor/$tam/apps/pulsoteclado.png"
  comprobar "icono $tam falta o difiere" cmp -s "$png" "$instalado"
  lado=${tam%%x*}
  medidas=$(od -An -tu1 -j16 -N8 "$instalado" 2>/dev/null | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
  comprobar "icono $tam mide $medidas" test "$medidas" = "${lado}x${lado}"
  iconos=$((iconos + 1))
done
comprobar "solo $iconos iconos PNG" test "$iconos" -ge 4

# ---- the installed program starts through the symlink and keeps running
casa="$temporal/casa"
mkdir -p "$casa"
set +e
env -i PATH="$raiz/usr/bin:/usr/bin:/bin" HOME="$casa" XDG_DATA_HOME="$casa/datos" \
  XDG_RUNTIME_DIR="$casa" QT_QPA_PLATFORM=offscreen \
  timeout 3 pulsoteclado >"$temporal/programa.log" 2>&1
estado=$?
set -e
if [ "$estado" -ne 124 ]; then
  cat "$temporal/programa.log" >&2
  falla "el programa instalado terminó con $estado antes de 3 s"
else
  ok
fi

echo "$aciertos passed, $fallos failed"
[ "$fallos" -eq 0 ]
