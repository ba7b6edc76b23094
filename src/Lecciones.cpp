#include "Lecciones.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "catalogue/Cp1252.h"

namespace {

// Whether the exercise is done, kept beside the tick so that a flipped tick can be put back.
constexpr int kRolHecho = Qt::UserRole + 1;

// Rows 13 pixels high, as many to the page as the list was laid out for.
class FilaBaja : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& opcion, const QModelIndex& indice) const override {
        QSize s = QStyledItemDelegate::sizeHint(opcion, indice);
        s.setHeight(13);
        return s;
    }
};

QString DesdeCp1252(std::string_view s) {
    QString r;
    r.reserve(static_cast<qsizetype>(s.size()));
    for (char c : s) {
        const char32_t u = cp1252::AUnicode(static_cast<unsigned char>(c));
        r.append(u != 0 || c == '\0' ? QChar(static_cast<char16_t>(u)) : QChar(QChar::ReplacementCharacter));
    }
    return r;
}

QString TextoItem(const catalogo::Posicion& p) {
    return QStringLiteral("Unidad Nº %1. Lección Nº %2. Ejercicio Nº %3. ")
               .arg(p.Unidad)
               .arg(p.Leccion)
               .arg(p.Ejercicio) +
           DesdeCp1252(catalogo::TituloEjercicio(p.Unidad, p.Leccion, p.Ejercicio));
}

bool EsDigito(QChar c) { return c >= u'0' && c <= u'9'; }

std::uint16_t Numero(const QString& texto, const QString& etiqueta) {
    const qsizetype inicio = texto.indexOf(etiqueta);
    if (inicio < 0) return 0;
    const qsizetype p = inicio + etiqueta.size();
    if (p >= texto.size() || !EsDigito(texto[p])) return 0;
    int n = texto[p].unicode() - u'0';
    if (p + 1 < texto.size() && EsDigito(texto[p + 1])) n = n * 10 + (texto[p + 1].unicode() - u'0');
    return static_cast<std::uint16_t>(n);
}

}  // namespace

TfrmLecciones::TfrmLecciones(QWidget* padre) : QDialog(padre) {
    setWindowTitle(QStringLiteral("Lecciones"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setFixedSize(470, 371);

    // Created first, so it comes first in the tab order and takes the focus.
    chkTemas = new QListWidget(this);
    chkTemas->setObjectName(QStringLiteral("chkTemas"));
    chkTemas->setAccessibleName(QStringLiteral("Ejercicios"));
    chkTemas->setGeometry(10, 10, 447, 321);
    chkTemas->setSelectionMode(QAbstractItemView::SingleSelection);
    chkTemas->setSortingEnabled(false);
    chkTemas->setUniformItemSizes(true);
    chkTemas->setItemDelegate(new FilaBaja(chkTemas));
    connect(chkTemas, &QListWidget::itemChanged, this, &TfrmLecciones::chkTemasClickCheck);

    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnAceptar->setGeometry(248, 340, 89, 25);
    btnAceptar->setDefault(true);
    connect(btnAceptar, &QPushButton::clicked, this, &QDialog::accept);

    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    btnCancelar->setGeometry(368, 340, 89, 25);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmLecciones::Llenar(const practica::Realizados& hechos) {
    chkTemas->clear();
    catalogo::ParaCadaEjercicio([&](const catalogo::Posicion& p) {
        const bool hecho = hechos[p.Unidad - 1][p.Leccion - 1][p.Ejercicio - 1] != 0;
        auto* item = new QListWidgetItem(TextoItem(p));
        item->setData(kRolHecho, hecho);
        item->setCheckState(hecho ? Qt::Checked : Qt::Unchecked);
        chkTemas->addItem(item);
    });
    chkTemas->clearSelection();
    chkTemas->scrollToTop();
}

void TfrmLecciones::chkTemasClickCheck(QListWidgetItem* item) {
    if (!item) return;
    const QVariant hecho = item->data(kRolHecho);
    if (!hecho.isValid()) return;
    const Qt::CheckState debida = hecho.toBool() ? Qt::Checked : Qt::Unchecked;
    if (item->checkState() == debida) return;
    // Putting the tick back raises the change again; by then it matches and nothing more happens.
    item->setCheckState(debida);
    // A click on the tick box, like the space bar, leaves that item the selected one.
    chkTemas->setCurrentItem(item);
}

catalogo::Posicion TfrmLecciones::LeerPosicion(const QString& textoItem) {
    catalogo::Posicion p;
    p.Unidad = Numero(textoItem, QStringLiteral("Unidad Nº "));
    p.Leccion = Numero(textoItem, QStringLiteral("Lección Nº "));
    p.Ejercicio = Numero(textoItem, QStringLiteral("Ejercicio Nº "));
    return p;
}

catalogo::Posicion TfrmLecciones::PosicionElegida() const {
    const QList<QListWidgetItem*> elegidos = chkTemas->selectedItems();
    const QListWidgetItem* item = elegidos.isEmpty() ? chkTemas->item(0) : elegidos.first();
    // The list is never empty with the shipped catalogue; the first exercise stands in otherwise.
    return item ? LeerPosicion(item->text()) : catalogo::Posicion{};
}
