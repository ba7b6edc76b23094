#include <QApplication>

#include "Pulsoteclado.h"
#include "platform/Fuentes.h"

int main(int argc, char** argv) {
    PreparacionFuentes fuentes;  // reads the font configuration while QApplication connects
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pulsoteclado"));
    QApplication::setDesktopFileName(QStringLiteral("pulsoteclado"));
    fuentes.Esperar();
    TfrmPulsoteclado ventana;  // sets the program's icon once it has painted itself
    ventana.show();
    return QApplication::exec();
}
