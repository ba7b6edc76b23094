// The settings dialog: hands and key colouring on one page, the two sounds on the other.
#pragma once

#include <QDialog>

#include "GrupoRadio.h"

class QCheckBox;
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

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
