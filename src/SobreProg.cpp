#include "SobreProg.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// A green tick; Qt greys it out by itself for the disabled button. Drawn at the screen's size and
// at twice it, so it stays sharp on a high-density screen.
QPixmap TrazoOk(int escala) {
    QPixmap pm(16 * escala, 16 * escala);
    pm.setDevicePixelRatio(escala);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath trazo;
    trazo.moveTo(2.5, 8.5);
    trazo.lineTo(6.5, 12.5);
    trazo.lineTo(13.5, 3.5);
    p.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trazo);
    p.end();
    return pm;
}

QIcon GlifoOk() {
    QIcon icono(TrazoOk(1));
    icono.addPixmap(TrazoOk(2));
    return icono;
}

}  // namespace

TfrmSobreElPrograma::TfrmSobreElPrograma(QWidget* padre) : QDialog(padre) {
    setWindowTitle(QStringLiteral("Sobre el programa..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setFixedSize(367, 239);

    btnOk = new QPushButton(GlifoOk(), QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(144, 208, 77, 27);
    btnOk->setIconSize(QSize(16, 16));
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setAccessibleName(QStringLiteral("Sobre el programa"));
    Memo->setGeometry(8, 8, 353, 185);
    Memo->setReadOnly(true);
    Memo->setFrameShape(QFrame::NoFrame);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Out of the tab order, yet the text can still be clicked and selected.
    Memo->setFocusPolicy(Qt::ClickFocus);
    QPalette paleta = Memo->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        paleta.setColor(g, QPalette::Base, paleta.color(g, QPalette::Window));
    Memo->setPalette(paleta);

    Memo->setPlainText(QStringLiteral(
        "   Con este programa usted podrá aprender a escribir a máquina de manera rápida. Pero para ello "
        "deberá realizar todos los ejercicios de manera correcta. No trate de ir deprisa, sino de hacerlo "
        "bien. La velocidad se adquiera después, con mucha práctica.\n"));

    btnOk->setFocus();
}

void TfrmSobreElPrograma::keyPressEvent(QKeyEvent* e) {
    // The one button answers Esc too, with the same OK result as Enter.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        btnOk->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
