// The program's own settings beyond the progress file, in
// $XDG_CONFIG_HOME/Pulsoteclado/pulsoteclado.conf (INI, one group per concern: Ayudas, ...).
// Read once at start-up; a missing, unreadable or damaged file gives the defaults. Each concern
// reads its keys through Booleano/Entero/Texto with its own default and valid values, and writes
// them with Poner and Guardar; keys it does not know are left as they are in the file.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <initializer_list>

#include "practica/Libre.h"

class Ajustes {
public:
    static QString RutaPorDefecto();

    explicit Ajustes(QString ruta = RutaPorDefecto());
    const QString& Ruta() const { return ruta_; }

    // "true" or "false"; anything else gives the default.
    bool Booleano(const QString& clave, bool porDefecto) const;
    // A whole number among `validos`; anything else gives the default.
    int Entero(const QString& clave, int porDefecto, std::initializer_list<int> validos) const;
    QString Texto(const QString& clave, const QString& porDefecto) const;
    // A whole number from `minimo` to `maximo`; anything else gives the default.
    int EnteroEntre(const QString& clave, int porDefecto, int minimo, int maximo) const;

    // In memory until Guardar.
    void Poner(const QString& clave, const QVariant& valor);
    // Writes what Poner changed, keeping every other key of the file. False, with the reason in
    // *error, when the file cannot be written.
    bool Guardar(QString* error = nullptr);

private:
    QString ruta_;
    QHash<QString, QString> leidos_;
    QHash<QString, QVariant> cambios_;
};

// Group "Ayudas": the aids while typing, all off by default.
struct AjustesAyudas {
    bool SiguienteTecla = false;
    int EsperaSiguienteTecla = 0;  // milliseconds: 0, 500, 1000 or 2000
    bool MarcarErrores = false;
    bool VelocidadYAciertos = false;
    bool GuiaHablada = false;  // spoken in Spanish, where a voice exists

    bool Alguna() const { return SiguienteTecla || MarcarErrores || VelocidadYAciertos || GuiaHablada; }
    friend bool operator==(const AjustesAyudas&, const AjustesAyudas&) = default;
};
AjustesAyudas LeerAyudas(const Ajustes& a);
void PonerAyudas(Ajustes& a, const AjustesAyudas& v);

// Group "Practica": the practice window's choices and the timed test's scoring, as the learner
// last left them.
struct AjustesPractica {
    int Penalizacion = practica::kPenalizacionPorOmision;  // keystrokes taken off per error
    int Objetivo = practica::kObjetivoPorOmision;          // net keystrokes per minute for "Apto"
    int Minutos = 1;        // 1, 3, 5, 10 or 15
    bool VerTeclado = true;
    friend bool operator==(const AjustesPractica&, const AjustesPractica&) = default;
};
AjustesPractica LeerPractica(const Ajustes& a);
void PonerPractica(Ajustes& a, const AjustesPractica& v);
