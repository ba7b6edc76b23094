// The settings dialog: hands and key colouring on one page, the two sounds on the next, the aids
// while typing on the third.
#pragma once

#include <QDialog>

#include "GrupoRadio.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

class TfrmConfiguracion : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConfiguracion(QWidget* padre = nullptr);

    QPushButton* btnOK;
    QPushButton* btnCancelar;
    QTabWidget* tabConfig;
    GrupoRadio* radioManos;    // page 0
    GrupoRadio* radioTeclado;  // page 0
    QCheckBox* chkSonidoTecla;    // page 1
    QCheckBox* chkSonidoLeccion;  // page 1
    QWidget* tabAyudas;                  // page 2, the aids while typing
    QCheckBox* chkSiguienteTecla;        // page 2
    QComboBox* cmbEsperaSiguienteTecla;  // page 2: item i waits kEsperas[i] milliseconds
    QCheckBox* chkMarcarErrores;         // page 2
    QCheckBox* chkVelocidadYAciertos;    // page 2
    QCheckBox* chkGuiaHablada;           // page 2: ticks only where a Spanish voice exists
    QLabel* lblGuiaHablada;              // page 2: why it stays off
    static constexpr int kEsperas[4] = {0, 500, 1000, 2000};
    int EsperaSiguienteTecla() const;
    void PonerEsperaSiguienteTecla(int milisegundos);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
