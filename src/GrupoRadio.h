// A titled box of mutually exclusive choices addressed by index, with no choice made at first.
#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

class GrupoRadio : public QGroupBox {
    Q_OBJECT
public:
    explicit GrupoRadio(const QString& titulo, QWidget* padre = nullptr);

    // Index of the chosen item, -1 when none is chosen.
    int ItemIndex() const;
    // Below -1 counts as -1 and past the last item as the last one, so a stored value out of range
    // still leaves a valid choice on screen.
    void PonerItemIndex(int indice);

    void AgregarItem(const QString& texto);
    int Cuenta() const { return static_cast<int>(items_.size()); }
    // Null outside 0 .. Cuenta() - 1.
    QRadioButton* Item(int indice);

private:
    QVBoxLayout* capa_;
    QButtonGroup* grupo_;
    QList<QRadioButton*> items_;
};
