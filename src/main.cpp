#include <QApplication>

#include "Pulsoteclado.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pulsoteclado"));
    QApplication::setDesktopFileName(QStringLiteral("pulsoteclado"));
    TfrmPulsoteclado ventana;  // sets the program's icon once it has painted itself
    ventana.show();
    return QApplication::exec();
}
