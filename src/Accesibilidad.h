// What a screen reader is told about the main window: the names, roles and states of the panels
// and texts that Qt cannot name by itself (the keys, the lights, the command strip, the heading,
// the clock and the two texts). Interfaces are made only when a reader asks for them.
#pragma once

class QLabel;
class QString;

namespace accesibilidad {

// Installs the factory once; costs nothing until an assistive technology asks.
void Instalar();

// The typed text changed from anterior: one text event on it (what was added or erased), the only
// event a key press sends.
void TextoCambiado(QLabel* texto, const QString& anterior);

}  // namespace accesibilidad
