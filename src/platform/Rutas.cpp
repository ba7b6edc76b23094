#include "platform/Rutas.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace rutas {

QString CarpetaPrograma() { return QCoreApplication::applicationDirPath(); }

QString FicheroConfiguracion() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QString nombre = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (nombre.isEmpty()) nombre = QStringLiteral("pulsoteclado");
    return base + QStringLiteral("/Pulsoteclado/") + nombre + QStringLiteral(".cfg");
}

QString FicheroEstadisticas() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Pulsoteclado/estadisticas.sqlite");
}

}  // namespace rutas
