#include "platform/Ajustes.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString Ajustes::RutaPorDefecto() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Pulsoteclado/pulsoteclado.conf");
}

Ajustes::Ajustes(QString ruta) : ruta_(std::move(ruta)) {
    // No file, no work: the usual case for a learner who never turned an aid on.
    if (!QFileInfo(ruta_).isFile()) return;
    QSettings s(ruta_, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) return;
    // As text: within one process QSettings hands back the typed values it was given.
    for (const QString& clave : s.allKeys()) leidos_.insert(clave, s.value(clave).toString());
}

bool Ajustes::Booleano(const QString& clave, bool porDefecto) const {
    const QString v = leidos_.value(clave).trimmed().toLower();
    if (v == QLatin1String("true")) return true;
    if (v == QLatin1String("false")) return false;
    return porDefecto;
}

int Ajustes::Entero(const QString& clave, int porDefecto, std::initializer_list<int> validos) const {
    bool ok = false;
    const int v = leidos_.value(clave).trimmed().toInt(&ok);
    if (!ok) return porDefecto;
    for (int valido : validos)
        if (v == valido) return v;
    return porDefecto;
}

int Ajustes::EnteroEntre(const QString& clave, int porDefecto, int minimo, int maximo) const {
    bool ok = false;
    const int v = leidos_.value(clave).trimmed().toInt(&ok);
    return ok && v >= minimo && v <= maximo ? v : porDefecto;
}

QString Ajustes::Texto(const QString& clave, const QString& porDefecto) const {
    return leidos_.contains(clave) ? leidos_.value(clave) : porDefecto;
}

void Ajustes::Poner(const QString& clave, const QVariant& valor) { cambios_.insert(clave, valor); }

bool Ajustes::Guardar(QString* error) {
    auto fallo = [&](const QString& motivo) {
        if (error)
            *error = QStringLiteral("No se pudo guardar la configuración de las ayudas en %1: %2.").arg(ruta_, motivo);
        return false;
    };
    const QFileInfo info(ruta_);
    if (!QDir().mkpath(info.absolutePath())) return fallo(QStringLiteral("no se pudo crear la carpeta"));
    if (info.exists() && !info.isFile()) return fallo(QStringLiteral("no es un fichero"));
    {
        QSettings s(ruta_, QSettings::IniFormat);
        for (auto i = cambios_.cbegin(); i != cambios_.cend(); ++i) s.setValue(i.key(), i.value());
        s.sync();
        if (s.status() == QSettings::AccessError) return fallo(QStringLiteral("no se puede escribir"));
    }
    for (auto i = cambios_.cbegin(); i != cambios_.cend(); ++i) {
        const QVariant& v = i.value();
        leidos_.insert(i.key(), v.typeId() == QMetaType::Bool ? (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"))
                                                               : v.toString());
    }
    cambios_.clear();
    return true;
}

AjustesAyudas LeerAyudas(const Ajustes& a) {
    AjustesAyudas v;
    v.SiguienteTecla = a.Booleano(QStringLiteral("Ayudas/SiguienteTecla"), false);
    v.EsperaSiguienteTecla = a.Entero(QStringLiteral("Ayudas/EsperaSiguienteTecla"), 0, {0, 500, 1000, 2000});
    v.MarcarErrores = a.Booleano(QStringLiteral("Ayudas/MarcarErrores"), false);
    v.VelocidadYAciertos = a.Booleano(QStringLiteral("Ayudas/VelocidadYAciertos"), false);
    v.GuiaHablada = a.Booleano(QStringLiteral("Ayudas/GuiaHablada"), false);
    return v;
}

void PonerAyudas(Ajustes& a, const AjustesAyudas& v) {
    a.Poner(QStringLiteral("Ayudas/SiguienteTecla"), v.SiguienteTecla);
    a.Poner(QStringLiteral("Ayudas/EsperaSiguienteTecla"), v.EsperaSiguienteTecla);
    a.Poner(QStringLiteral("Ayudas/MarcarErrores"), v.MarcarErrores);
    a.Poner(QStringLiteral("Ayudas/VelocidadYAciertos"), v.VelocidadYAciertos);
    a.Poner(QStringLiteral("Ayudas/GuiaHablada"), v.GuiaHablada);
}

AjustesPractica LeerPractica(const Ajustes& a) {
    AjustesPractica v;
    v.Penalizacion = a.EnteroEntre(QStringLiteral("Practica/Penalizacion"), v.Penalizacion, 0, 100);
    v.Objetivo = a.EnteroEntre(QStringLiteral("Practica/Objetivo"), v.Objetivo, 1, 1000);
    v.Minutos = a.Entero(QStringLiteral("Practica/Minutos"), v.Minutos, {1, 3, 5, 10, 15});
    v.VerTeclado = a.Booleano(QStringLiteral("Practica/VerTeclado"), v.VerTeclado);
    return v;
}

void PonerPractica(Ajustes& a, const AjustesPractica& v) {
    a.Poner(QStringLiteral("Practica/Penalizacion"), v.Penalizacion);
    a.Poner(QStringLiteral("Practica/Objetivo"), v.Objetivo);
    a.Poner(QStringLiteral("Practica/Minutos"), v.Minutos);
    a.Poner(QStringLiteral("Practica/VerTeclado"), v.VerTeclado);
}
