// Qt key events to the virtual-key events of the Spanish keyboard: physical key codes where the
// platform gives them, Qt::Key for the keys that are the same everywhere where it does not.
#pragma once

#include "keyboard/TeclasFisicas.h"

class QKeyEvent;

class TeclasQt {
public:
    // Key-down or key-up; returns how many events were filled (0 to 2). Auto-repeat key-ups are dropped.
    int Traducir(const QKeyEvent& e, teclado::EventoTecla salida[2]);
    // After key events may have gone elsewhere (a menu or popup closed, the window activated):
    // takes the modifier keys held now, from the X server's key map where there is one, from the
    // modifier flags elsewhere. One round trip to the server; never called on the key path.
    std::array<teclado::EstadoModificador, 3> Sincronizar();
    std::uint8_t Modificadores() const { return fisico_.Modificadores(); }

private:
    teclado::TecladoFisico fisico_;
};

// The key for a Qt::Key where no scan code is known; conocida false for keys outside the fallback.
teclado::TeclaFisica TeclaDeQtKey(int tecla);
