// Qt key events to the virtual-key events of the Spanish keyboard: physical key codes where the
// platform gives them, Qt::Key for the keys that are the same everywhere where it does not.
#pragma once

#include "keyboard/TeclasFisicas.h"

class QKeyEvent;

class TeclasQt {
public:
    // Key-down or key-up; returns how many events were filled (0 to 2). Auto-repeat key-ups are dropped.
    int Traducir(const QKeyEvent& e, teclado::EventoTecla salida[2]);
    // After focus comes back: forget the modifiers that are no longer held.
    void Sincronizar(bool shift, bool ctrl, bool alt) { fisico_.Sincronizar(shift, ctrl, alt); }
    std::uint8_t Modificadores() const { return fisico_.Modificadores(); }

private:
    teclado::TecladoFisico fisico_;
};

// The key for a Qt::Key where no scan code is known; conocida false for keys outside the fallback.
teclado::TeclaFisica TeclaDeQtKey(int tecla);
