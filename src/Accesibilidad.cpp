#include "Accesibilidad.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <algorithm>

#include "guia/Nombres.h"
#include "keyboard/PanelTeclado.h"

namespace accesibilidad {

namespace {

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The key panels, the lights, the heading and the clock.
class PanelAccesible : public QAccessibleWidget {
public:
    explicit PanelAccesible(Panel* p) : QAccessibleWidget(p, RolDe(p)) {}

    QString text(QAccessible::Text t) const override {
        const Panel* p = panel();
        const QString nombre = p->objectName();
        switch (t) {
        case QAccessible::Name:
            if (!p->accessibleName().isEmpty()) return p->accessibleName();
            if (nombre == QLatin1String("PanelTeclado")) return QStringLiteral("Teclado en pantalla");
            if (nombre == QLatin1String("PanelLuces")) return QStringLiteral("Luces del teclado");
            if (nombre == QLatin1String("panelLecciones")) return p->Titulo();
            if (nombre == QLatin1String("lblReloj")) return QStringLiteral("Reloj");
            if (nombre == QLatin1String("lblVelocidadYAciertos")) return QStringLiteral("Velocidad y aciertos");
            if (EsLuz(p)) return NombreLuz(nombre);
            if (EsTecla(p)) return Utf8(guia::NombreTecla(nombre.toStdString()));
            return p->Titulo();
        case QAccessible::Value:
            if (EsLuz(p)) return Encendida(p) ? QStringLiteral("encendida") : QStringLiteral("apagada");
            if (nombre == QLatin1String("lblReloj") || nombre == QLatin1String("lblVelocidadYAciertos")) return p->Titulo();
            return {};
        case QAccessible::Description:
            if (EsLuz(p)) return Encendida(p) ? QStringLiteral("encendida") : QStringLiteral("apagada");
            if (EsOrden(p))
                return p->MostrarPista() ? p->Pista() : p->Pista() + QStringLiteral(" (no disponible)");
            if (EsTecla(p) && p->Marca()) return QStringLiteral("siguiente tecla");  // the next-key aid's mark
            return {};
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const Panel* p = panel();
        if (EsTecla(p)) {
            s.pressed = p->BiselExterior() == Panel::Bisel::Hundido;
            if (EsOrden(p)) s.disabled = !p->MostrarPista();
        }
        if (EsLuz(p)) {
            s.checkable = true;
            s.checked = Encendida(p);
        }
        return s;
    }

    // Only the command strip acts; the other keys mirror the real keyboard.
    QStringList actionNames() const override {
        return EsOrden(panel()) && panel()->MostrarPista() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& accion) override {
        if (accion == pressAction() && EsOrden(panel()) && panel()->MostrarPista()) emit panel()->Pulsado();
    }

private:
    Panel* panel() const { return static_cast<Panel*>(object()); }

    static bool EsTecla(const Panel* p) { return qobject_cast<const PanelTeclado*>(p->parentWidget()) != nullptr; }
    static bool EsLuz(const Panel* p) {
        return p->parentWidget() && p->parentWidget()->objectName() == QLatin1String("PanelLuces");
    }
    // A key of the command strip: it carries a hint.
    static bool EsOrden(const Panel* p) { return EsTecla(p) && !p->Pista().isEmpty(); }
    static bool Encendida(const Panel* p) { return p->Color().isValid(); }
    static QString NombreLuz(const QString& nombre) {
        if (nombre == QLatin1String("PanelNumerico")) return QStringLiteral("Luz de Bloq. Num.");
        if (nombre == QLatin1String("PanelMayusculas")) return QStringLiteral("Luz de Bloq. Mayús.");
        return QStringLiteral("Luz de Bloq. Despl.");
    }
    static QAccessible::Role RolDe(const Panel* p) {
        const QString n = p->objectName();
        if (n == QLatin1String("PanelTeclado") || n == QLatin1String("PanelLuces")) return QAccessible::Grouping;
        if (n == QLatin1String("panelLecciones")) return QAccessible::Heading;
        if (n == QLatin1String("lblReloj")) return QAccessible::Clock;
        if (EsLuz(p)) return QAccessible::Indicator;
        if (EsTecla(p)) return QAccessible::Button;
        return QAccessible::StaticText;
    }
};

// The text to copy and the typed text: their fixed name (the window gives it), the text as value
// and through the text interface, which is what a reader reads and follows as it changes.
class TextoAccesible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TextoAccesible(QLabel* l) : QAccessibleWidget(l, QAccessible::StaticText) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Texto();
        return QAccessibleWidget::text(t);
    }
    // Read-only text without a caret or a selection.
    void selection(int, int* inicio, int* fin) const override { *inicio = *fin = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int inicio, int fin) const override { return Texto().mid(inicio, fin - inicio); }
    int characterCount() const override { return static_cast<int>(Texto().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int desplazamiento, int* inicio, int* fin) const override {
        *inicio = 0;
        *fin = std::max(desplazamiento, characterCount());
        return {};
    }

private:
    QString Texto() const { return static_cast<QLabel*>(object())->text(); }
};

QAccessibleInterface* Fabrica(const QString& clase, QObject* o) {
    if (clase == QLatin1String("Panel") || clase == QLatin1String("PanelTeclado"))
        return new PanelAccesible(static_cast<Panel*>(o));
    if (clase == QLatin1String("QLabel")) {
        auto* l = static_cast<QLabel*>(o);
        const QString n = l->objectName();
        if (n == QLatin1String("lblTextoOrigen") || n == QLatin1String("lblTextoEscrito")) return new TextoAccesible(l);
        if (n == QLatin1String("lblLinea")) return new QAccessibleWidget(l, QAccessible::Separator);
        if (n == QLatin1String("imgManos"))
            return new QAccessibleWidget(l, QAccessible::Graphic, QStringLiteral("Manos sobre el teclado"));
        if (n == QLatin1String("imgManosPintadas"))
            return new QAccessibleWidget(l, QAccessible::Graphic,
                                         QStringLiteral("Manos sobre el teclado, con el color de cada dedo"));
    }
    return nullptr;
}

}  // namespace

void Instalar() {
    static const bool hecho = [] {
        QAccessible::installFactory(Fabrica);
        return true;
    }();
    (void)hecho;
}

void TextoCambiado(QLabel* texto, const QString& anterior) {
    if (!QAccessible::isActive()) return;
    const QString ahora = texto->text();
    const int n = static_cast<int>(anterior.size());
    if (ahora.size() > n && ahora.startsWith(anterior)) {
        QAccessibleTextInsertEvent e(texto, n, ahora.mid(n));
        QAccessible::updateAccessibility(&e);
    } else if (ahora.size() < n && anterior.startsWith(ahora)) {
        QAccessibleTextRemoveEvent e(texto, static_cast<int>(ahora.size()), anterior.mid(ahora.size()));
        QAccessible::updateAccessibility(&e);
    } else if (ahora != anterior) {
        QAccessibleTextUpdateEvent e(texto, 0, anterior, ahora);
        QAccessible::updateAccessibility(&e);
    }
}

}  // namespace accesibilidad
