#include <QApplication>

#include "Pulsoteclado.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pulsoteclado"));
    QApplication::setDesktopFileName(QStringLiteral("pulsoteclado"));
    TfrmPulsoteclado ventana;  // registers the resources, the icon among them
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/imagenes/pulsoteclado.png")));
    ventana.show();
    return QApplication::exec();
}
