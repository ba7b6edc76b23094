#include <QApplication>

#include "Pulsoteclado.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pulsoteclado"));
    QApplication::setDesktopFileName(QStringLiteral("pulsoteclado"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/imagenes/pulsoteclado.png")));
    TfrmPulsoteclado ventana;
    ventana.show();
    return QApplication::exec();
}
