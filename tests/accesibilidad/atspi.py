"""Over AT-SPI: the keys are named, and typing sends events from the typed text only."""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

programa = sys.argv[1]
entorno = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
proceso = subprocess.Popen([programa], env=entorno, stderr=subprocess.DEVNULL)
fallos = []


def aplicacion():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.name.lower() == "pulsoteclado":
            return a
    return None


def recorrer(nodo, todos):
    todos.append(nodo)
    for i in range(nodo.childCount):
        hijo = nodo.getChildAtIndex(i)
        if hijo is not None:
            recorrer(hijo, todos)


try:
    fin = time.time() + 30
    app = None
    while app is None or app.childCount == 0:
        if time.time() > fin:
            sys.exit("FALLO: the program never appeared on the accessibility bus")
        time.sleep(0.2)
        app = aplicacion()

    todos = []
    recorrer(app, todos)
    botones = [n for n in todos if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    nombres = {n.name for n in botones}
    for esperado in ("Q", "Ñ", "Bloq. Mayús.", "Acento grave y circunflejo", "Barra espaciadora", "F6"):
        if esperado not in nombres:
            fallos.append(f"no key named {esperado!r}")
    # Containers may go unnamed; a button or an empty filler (what a key used to be) may not.
    sin_nombre = [n for n in todos if not n.name and (n.getRole() == pyatspi.ROLE_PUSH_BUTTON or
                                                      (n.getRole() == pyatspi.ROLE_FILLER and n.childCount == 0))]
    if sin_nombre:
        fallos.append(f"{len(sin_nombre)} unnamed buttons or fillers: {[(n.getRoleName(), n.parent.name if n.parent else None) for n in sin_nombre]}")
    if len(botones) < 105:
        fallos.append(f"only {len(botones)} keys")
    if not any(n.name == "Texto escrito" for n in todos):
        fallos.append("no typed text")

    # Typing: what the reader hears about comes from the typed text alone.
    eventos = []
    fase = {"teclear": False}

    def anotar(e):
        if not fase["teclear"]:
            return
        try:
            eventos.append((e.type, e.source.name if e.source is not None else ""))
        except Exception:  # a node gone meanwhile
            pass

    ventana = subprocess.run(["xdotool", "search", "--sync", "--name", "^Pulsoteclado$"],
                             capture_output=True, text=True, check=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", ventana], check=True)
    bucle = GLib.MainLoop()
    pyatspi.Registry.registerEventListener(anotar, "object")

    def empezar():
        subprocess.run(["xdotool", "key", "F6"], check=True)
        return False

    def teclear():
        fase["teclear"] = True
        subprocess.run(["xdotool", "type", "--delay", "80", "asd"], check=True)
        subprocess.run(["xdotool", "key", "BackSpace"], check=True)
        GLib.timeout_add(1000, bucle.quit)
        return False

    # Time for the program to learn of the listener, then for F6 to settle.
    GLib.timeout_add(1000, empezar)
    GLib.timeout_add(2000, teclear)
    GLib.timeout_add(20000, bucle.quit)
    bucle.run()
    pyatspi.Registry.deregisterEventListener(anotar, "object")
    del_texto = [e for e in eventos if e[1] == "Texto escrito"]
    otros = [e for e in eventos if e[1] != "Texto escrito"]
    if not del_texto:
        fallos.append("typing sent no event from the typed text")
    if otros:
        fallos.append(f"typing sent other events: {otros[:5]}")
    print(f"{len(todos)} nodes, {len(botones)} buttons; typing 4 keys: {len(del_texto)} events from the typed text, {len(otros)} others")
finally:
    proceso.kill()
    proceso.wait()

if fallos:
    sys.exit("FALLO: " + "; ".join(fallos))
