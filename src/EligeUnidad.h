// The unit chooser of the progress graph: only the units that hold exercises are offered.
#pragma once

#include <QDialog>
#include <QList>

#include "GrupoRadio.h"

class QPushButton;

class TfrmEligeUnidad : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEligeUnidad(QWidget* padre = nullptr);

    GrupoRadio* radioUnidades;
    QPushButton* btnOk;
    QPushButton* brnCancelar;

    // Once per chooser: one item "Unidad Nº &n" per unit holding an exercise, then the current
    // unit chosen.
    void Llenar(int unidadActual);
    // The unit of the chosen item; 0 when no item is chosen.
    int UnidadElegida() const;

private:
    // Unit number of each item. With the units that hold exercises numbered from 1 without gaps,
    // item i is unit i + 1; the table keeps the answer right should a unit in between be empty.
    QList<int> unidades_;
};
