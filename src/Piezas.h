// The pieces of an exercise run that the main window and the practice window share, set up
// once here so both look the same: the text labels, the black line between them, the hands.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

class Panel;
class QLabel;
class QPalette;
class QWidget;

namespace piezas {

// The text to copy or the typed text: monospaced, wrapped, plain text (an ampersand or a "<"
// shows as it is), over whatever lies beneath. Hidden until a run shows it.
QLabel* EtiquetaTexto(QWidget* padre, const char* nombre, const QString& nombreAccesible);
// Their background for the palette: none on a light one, a veil on a dark one.
void FondoTextos(const QPalette& pal, QLabel* origen, QLabel* escrito);

// The heading line across the top, with its clock (sunken, hidden) at its left end in *reloj.
Panel* Cabecera(QWidget* padre, const char* nombre, Panel** reloj);

// Where the two texts go: below the keyboard, or filling the window when the keyboard is hidden.
void ColocarTextos(QLabel* origen, QLabel* escrito, bool tecladoOculto);
// The line's height above the typed text in either place.
int AlturaLinea(bool tecladoOculto);

// The line between the two texts, in the text colour, hidden.
QLabel* Linea(QWidget* padre);

// One of the two hands pictures, placed beneath the texts, hidden and without its picture until
// first shown; CargarManos decodes it ("manos" or "manos_pintadas") for a device pixel ratio.
QLabel* Manos(QWidget* padre, const char* nombre);
QPixmap CargarManos(const char* nombre, qreal ratio);
// Shows the pictures as the hands setting says (0 none, 1 plain, 2 coloured by finger; other
// values change nothing), decoding each the first time; `decodificadas` remembers which were.
void MostrarManos(int verManos, QLabel* manos, QLabel* pintadas, bool decodificadas[2]);

// The medium grey of a command panel that can be used.
inline const QColor kGrisMedio(160, 160, 164);

// The result sound when the setting asks for it: the program's WAV beside it, the beep when the
// WAV cannot be played.
void SonidoResultado(bool activo, bool correcto);

}  // namespace piezas
