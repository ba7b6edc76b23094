#include "EligeUnidad.h"

#include <QPushButton>

#include "catalogue/Catalogo.h"

TfrmEligeUnidad::TfrmEligeUnidad(QWidget* padre) : QDialog(padre) {
    setWindowTitle(QStringLiteral("Gráficos"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setFixedSize(363, 167);

    radioUnidades = new GrupoRadio(QStringLiteral("&Elige una unidad"), this);
    radioUnidades->setObjectName(QStringLiteral("radioUnidades"));
    radioUnidades->setGeometry(10, 10, 215, 143);

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(248, 16, 97, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    brnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    brnCancelar->setObjectName(QStringLiteral("brnCancelar"));
    brnCancelar->setGeometry(248, 56, 97, 25);
    connect(brnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEligeUnidad::Llenar(int unidadActual) {
    for (int n = 1; n <= catalogo::NumUnidades; ++n) {
        if (catalogo::EjerciciosDeUnidad(n) == 0) continue;
        radioUnidades->AgregarItem(QStringLiteral("Unidad Nº &") + QString::number(n));
        unidades_.append(n);
    }
    const qsizetype i = unidades_.indexOf(unidadActual);
    radioUnidades->PonerItemIndex(i >= 0 ? static_cast<int>(i) : unidadActual - 1);
}

int TfrmEligeUnidad::UnidadElegida() const {
    const int i = radioUnidades->ItemIndex();
    return i >= 0 && i < unidades_.size() ? unidades_[i] : 0;
}
