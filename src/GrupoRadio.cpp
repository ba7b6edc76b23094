#include "GrupoRadio.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

GrupoRadio::GrupoRadio(const QString& titulo, QWidget* padre)
    : QGroupBox(titulo, padre), capa_(new QVBoxLayout(this)), grupo_(new QButtonGroup(this)) {
    capa_->setContentsMargins(8, 2, 8, 2);
    capa_->setSpacing(0);
    grupo_->setExclusive(true);
}

int GrupoRadio::ItemIndex() const {
    for (int i = 0; i < Cuenta(); ++i)
        if (items_[i]->isChecked()) return i;
    return -1;
}

void GrupoRadio::PonerItemIndex(int indice) {
    if (indice < -1) indice = -1;
    if (indice >= Cuenta()) indice = Cuenta() - 1;
    if (indice >= 0) {
        items_[indice]->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    grupo_->setExclusive(false);
    for (QRadioButton* r : items_) r->setChecked(false);
    grupo_->setExclusive(true);
}

void GrupoRadio::AgregarItem(const QString& texto) {
    auto* r = new QRadioButton(texto, this);
    // The items share the box's height evenly, as many as there are.
    r->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    grupo_->addButton(r, Cuenta());
    capa_->addWidget(r, 1);
    items_.append(r);
}

QRadioButton* GrupoRadio::Item(int indice) {
    return indice >= 0 && indice < Cuenta() ? items_[indice] : nullptr;
}
