// The exercise chooser: every existing exercise of the catalogue, the done ones ticked.
#pragma once

#include <QDialog>

#include "catalogue/Catalogo.h"
#include "practica/Practica.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;

class TfrmLecciones : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLecciones(QWidget* padre = nullptr);

    QListWidget* chkTemas;
    QPushButton* btnAceptar;
    QPushButton* btnCancelar;

    // Empties the list, then one item per existing exercise in catalogue order, ticked when done.
    void Llenar(const practica::Realizados& hechos);
    // The ticks are not the user's to change: any tick the user flips is put back at once.
    void chkTemasClickCheck(QListWidgetItem* item);

    // Unit, lesson and exercise read from an item's text; a number whose label is missing or is not
    // followed by a digit reads as 0.
    static catalogo::Posicion LeerPosicion(const QString& textoItem);
    // The position of the selected item, or of the first item when none is selected.
    catalogo::Posicion PosicionElegida() const;
};
