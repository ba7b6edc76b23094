// What a screen reader finds in the windows: a name and a role for every key, light, text and
// command panel, and states that follow the keyboard and the commands. (That typing sends events
// from the typed text only is checked over AT-SPI: offscreen has no accessibility bridge.)
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QtTest>

#include "Ayudas.h"
#include "AyudasEscritura.h"
#include "Configuracion.h"
#include "EligeUnidad.h"
#include "Grafico.h"
#include "Lecciones.h"
#include "SobreProg.h"

namespace {

QAccessibleInterface* Interfaz(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
QString Nombre(QObject* o) { return Interfaz(o)->text(QAccessible::Name); }

// Every interface reachable from the root by walking children, as a reader does.
void Recorrer(QAccessibleInterface* i, QList<QAccessibleInterface*>& todas) {
    todas << i;
    for (int k = 0; k < i->childCount(); ++k)
        if (QAccessibleInterface* h = i->child(k)) Recorrer(h, todas);
}

// Controls a user works with or reads: each must have a name.
bool NecesitaNombre(QAccessible::Role r) {
    switch (r) {
    case QAccessible::Button: case QAccessible::CheckBox: case QAccessible::RadioButton:
    case QAccessible::PageTab: case QAccessible::List: case QAccessible::Indicator:
    case QAccessible::Graphic: case QAccessible::Clock: case QAccessible::Heading:
    case QAccessible::EditableText: case QAccessible::Grouping: case QAccessible::Dialog:
    case QAccessible::ComboBox:
        return true;
    default:
        return false;
    }
}

QStringList SinNombre(QWidget* raiz) {
    QList<QAccessibleInterface*> todas;
    Recorrer(Interfaz(raiz), todas);
    QStringList faltan;
    for (QAccessibleInterface* i : todas)
        if (NecesitaNombre(i->role()) && !i->state().invisible && i->text(QAccessible::Name).trimmed().isEmpty())
            faltan << (i->object() ? i->object()->objectName() + QLatin1Char(':') + QString::fromLatin1(i->object()->metaObject()->className())
                                   : QStringLiteral("?")) + QLatin1Char(' ') + QString::number(i->role());
    return faltan;
}

}  // namespace

class PruebaAccesibilidad : public QObject {
    Q_OBJECT
private slots:
    void cadaTeclaLucesTextosYOrdenesTienenNombre();
    void estadosSiguenAlTecladoYALasOrdenes();
    void ayudasConNombre();
    void dialogosConNombres();
};

void PruebaAccesibilidad::cadaTeclaLucesTextosYOrdenesTienenNombre() {
    Entorno e;
    auto w = Ventana();
    QList<QAccessibleInterface*> todas;
    Recorrer(Interfaz(w.get()), todas);
    QSet<QObject*> alcanzados;
    for (QAccessibleInterface* i : todas) alcanzados.insert(i->object());

    QSet<QString> nombres;
    for (const DefTecla& d : PanelTeclado::Disposicion()) {
        Panel* k = w->Boton(d.nombre);
        QVERIFY2(alcanzados.contains(k), d.nombre);
        QAccessibleInterface* i = Interfaz(k);
        QCOMPARE(i->role(), QAccessible::Button);
        const QString n = i->text(QAccessible::Name);
        QVERIFY2(!n.isEmpty(), d.nombre);
        QVERIFY2(!nombres.contains(n), qPrintable(n));  // a reader tells every key apart
        nombres.insert(n);
    }
    QCOMPARE(nombres.size(), 105);
    QCOMPARE(Nombre(w->Boton("btnQ")), QStringLiteral("Q"));
    QCOMPARE(Nombre(w->Boton("btnBloqMayus")), QStringLiteral("Bloq. Mayús."));
    QCOMPARE(Nombre(w->Boton("btnAcentoAbierto")), QStringLiteral("Acento grave y circunflejo"));
    QCOMPARE(Nombre(w->Boton("btnEspacio")), QStringLiteral("Barra espaciadora"));
    QCOMPARE(Nombre(w->Boton("btnEnye")), QStringLiteral("Ñ"));

    QCOMPARE(Interfaz(w->panelTeclado)->role(), QAccessible::Grouping);
    QCOMPARE(Nombre(w->panelTeclado), QStringLiteral("Teclado en pantalla"));
    for (Panel* luz : {w->panelTeclado->PanelNumerico(), w->panelTeclado->PanelMayusculas(), w->panelTeclado->PanelScroll()}) {
        QVERIFY(alcanzados.contains(luz));
        QCOMPARE(Interfaz(luz)->role(), QAccessible::Indicator);
        QVERIFY(Nombre(luz).startsWith(QStringLiteral("Luz de Bloq.")));
        QCOMPARE(Interfaz(luz)->text(QAccessible::Value), QStringLiteral("apagada"));
    }
    QCOMPARE(Interfaz(w->panelLecciones)->role(), QAccessible::Heading);
    QCOMPARE(Nombre(w->panelLecciones), w->panelLecciones->Titulo());

    // The two texts: a fixed name, their text as value.
    w->AlternarEjercicio();
    QCOMPARE(Nombre(w->lblTextoOrigen), QStringLiteral("Texto a copiar"));
    QCOMPARE(Interfaz(w->lblTextoOrigen)->text(QAccessible::Value), w->lblTextoOrigen->text());
    Teclear(w.get(), "qw");
    QCOMPARE(Nombre(w->lblTextoEscrito), QStringLiteral("Texto escrito"));
    QCOMPARE(Interfaz(w->lblTextoEscrito)->text(QAccessible::Value), QStringLiteral("qw"));
    QCOMPARE(Interfaz(w->lblLinea)->role(), QAccessible::Separator);

    // The clock of the timed unit.
    w->AlternarEjercicio();
    w->UnidadActual = 5;
    w->LeccionActual = 1;
    w->EjercicioActual = 1;
    w->MostrarEjercicio();
    w->AlternarEjercicio();
    QCOMPARE(Interfaz(w->lblReloj)->role(), QAccessible::Clock);
    QCOMPARE(Nombre(w->lblReloj), QStringLiteral("Reloj"));
    QCOMPARE(Interfaz(w->lblReloj)->text(QAccessible::Value), QStringLiteral("00:00"));
    QVERIFY2(SinNombre(w.get()).isEmpty(), qPrintable(SinNombre(w.get()).join(QLatin1Char(','))));
}

void PruebaAccesibilidad::estadosSiguenAlTecladoYALasOrdenes() {
    Entorno e;
    auto w = Ventana();
    QAccessibleInterface* f5 = Interfaz(w->Boton("btnF5"));
    QAccessibleInterface* f6 = Interfaz(w->Boton("btnF6"));
    QAccessibleInterface* q = Interfaz(w->Boton("btnQ"));
    QCOMPARE(f5->text(QAccessible::Description), QStringLiteral("Abrir lección"));
    QVERIFY(!f5->state().disabled);
    QCOMPARE(f5->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    QVERIFY(q->actionInterface()->actionNames().isEmpty());  // a plain key does nothing when pressed

    // Pressing F6 through the reader runs the command, as a click does.
    f6->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(w->EnEjercicio);
    QVERIFY(f5->state().disabled);
    QCOMPARE(f5->text(QAccessible::Description), QStringLiteral("Abrir lección (no disponible)"));
    QVERIFY(f5->actionInterface()->actionNames().isEmpty());
    QCOMPARE(f6->text(QAccessible::Description), QStringLiteral("Terminar ejercicio"));
    QVERIFY(!f6->state().disabled);

    // A held key reads as pressed; Caps Lock lights its light.
    Fisica(w.get(), 24, true);  // Q
    QVERIFY(q->state().pressed);
    Fisica(w.get(), 24, false);
    QVERIFY(!q->state().pressed);
    QAccessibleInterface* luz = Interfaz(w->panelTeclado->PanelMayusculas());
    Golpe(w.get(), 66);  // Caps Lock
    QCOMPARE(luz->text(QAccessible::Value), QStringLiteral("encendida"));
    QVERIFY(luz->state().checked);
    Golpe(w.get(), 66);
    QCOMPARE(luz->text(QAccessible::Value), QStringLiteral("apagada"));
    QVERIFY(!luz->state().checked);
}

void PruebaAccesibilidad::ayudasConNombre() {
    Entorno e;
    auto w = Ventana();
    AjustesAyudas a;
    a.SiguienteTecla = true;
    a.VelocidadYAciertos = true;
    w->AplicarAyudas(a);
    w->AlternarEjercicio();
    // The live figures read as what they are; the marked key says it is the next one.
    Panel* cifras = w->Ayudas()->PanelCifras();
    QVERIFY(cifras);
    QCOMPARE(Interfaz(cifras)->role(), QAccessible::StaticText);
    QCOMPARE(Nombre(cifras), QStringLiteral("Velocidad y aciertos"));
    QCOMPARE(Interfaz(cifras)->text(QAccessible::Value), cifras->Titulo());
    QCOMPARE(Interfaz(w->Boton("btnQ"))->text(QAccessible::Description), QStringLiteral("siguiente tecla"));
    QCOMPARE(Interfaz(w->Boton("btnW"))->text(QAccessible::Description), QString());
    QVERIFY2(SinNombre(w.get()).isEmpty(), qPrintable(SinNombre(w.get()).join(QLatin1Char(','))));
}

void PruebaAccesibilidad::dialogosConNombres() {
    Entorno e;
    auto w = Ventana();
    TfrmConfiguracion cfg(w.get());
    TfrmLecciones lecciones(w.get());
    lecciones.Llenar(w->Configuracion.Realizados);
    TfrmEligeUnidad elige(w.get());
    elige.Llenar(1);
    TfrmSobreElPrograma sobre(w.get());
    TfrmGrafico grafico(w.get());
    grafico.resize(640, 480);
    grafico.PrepararGrafico(640, 480);
    w->Configuracion.Intentos[0][0][0] = 3;
    grafico.Dibujar(1, w->Configuracion.Realizados, w->Configuracion.Intentos);
    for (QDialog* d : std::initializer_list<QDialog*>{&cfg, &lecciones, &elige, &sobre, &grafico}) {
        d->show();
        // Every page of the settings dialog; the others have one.
        for (int pagina = 0; pagina < (d == &cfg ? cfg.tabConfig->count() : 1); ++pagina) {
            if (d == &cfg) cfg.tabConfig->setCurrentIndex(pagina);
            const QStringList faltan = SinNombre(d);
            QVERIFY2(faltan.isEmpty(), qPrintable(QString::fromLatin1(d->metaObject()->className()) + QStringLiteral(": ") + faltan.join(QLatin1Char(','))));
        }
        d->hide();
    }
    QCOMPARE(Nombre(cfg.chkGuiaHablada), QStringLiteral("Guía hablada"));
    QCOMPARE(Nombre(lecciones.chkTemas), QStringLiteral("Ejercicios"));
    QVERIFY(Interfaz(grafico.imgGrafico)->text(QAccessible::Description)
                .startsWith(QStringLiteral("Lección 1, ejercicio 1: 3 intentos, sin realizar")));
}

QTEST_MAIN(PruebaAccesibilidad)
#include "test_accesibilidad.moc"
