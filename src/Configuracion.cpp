#include "Configuracion.h"

#include "platform/Plataforma.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

TfrmConfiguracion::TfrmConfiguracion(QWidget* padre) : QDialog(padre) {
    setWindowTitle(QStringLiteral("Configuración"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setFixedSize(406, 297);

    btnOK = new QPushButton(QStringLiteral("&Ok"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(304, 32, 81, 33);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    btnCancelar->setGeometry(304, 80, 81, 33);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    // Neither button is a default one (a dialog would otherwise make the first one so when shown).
    btnOK->setAutoDefault(false);
    btnCancelar->setAutoDefault(false);

    tabConfig = new QTabWidget(this);
    tabConfig->setObjectName(QStringLiteral("tabConfig"));
    tabConfig->setGeometry(8, 8, 273, 273);

    auto* pantalla = new QWidget;
    pantalla->setObjectName(QStringLiteral("tabPantalla"));
    radioManos = new GrupoRadio(QStringLiteral("Ver manos"), pantalla);
    radioManos->setObjectName(QStringLiteral("radioManos"));
    radioManos->setGeometry(16, 16, 177, 105);
    radioManos->AgregarItem(QStringLiteral("No"));
    radioManos->AgregarItem(QStringLiteral("Si (sin pintar)"));
    radioManos->AgregarItem(QStringLiteral("Si (pintadas)"));
    radioTeclado = new GrupoRadio(QStringLiteral("Pintar teclado"), pantalla);
    radioTeclado->setObjectName(QStringLiteral("radioTeclado"));
    radioTeclado->setGeometry(16, 136, 177, 89);
    radioTeclado->AgregarItem(QStringLiteral("No"));
    radioTeclado->AgregarItem(QStringLiteral("Si"));
    tabConfig->addTab(pantalla, QStringLiteral("&Pantalla"));

    auto* sonidos = new QWidget;
    sonidos->setObjectName(QStringLiteral("tabSonidos"));
    chkSonidoTecla = new QCheckBox(QStringLiteral("Al teclear"), sonidos);
    chkSonidoTecla->setObjectName(QStringLiteral("chkSonidoTecla"));
    chkSonidoTecla->setGeometry(25, 32, 150, 17);
    chkSonidoLeccion = new QCheckBox(QStringLiteral("Al terminar una lección"), sonidos);
    chkSonidoLeccion->setObjectName(QStringLiteral("chkSonidoLeccion"));
    chkSonidoLeccion->setGeometry(25, 64, 150, 17);
    tabConfig->addTab(sonidos, QStringLiteral("&Sonidos"));

    auto* ayudas = tabAyudas = new QWidget;
    ayudas->setObjectName(QStringLiteral("tabAyudas"));
    chkSiguienteTecla = new QCheckBox(QStringLiteral("Indicar la siguiente tecla"), ayudas);
    chkSiguienteTecla->setObjectName(QStringLiteral("chkSiguienteTecla"));
    chkSiguienteTecla->setGeometry(25, 32, 220, 17);
    auto* lblEspera = new QLabel(QStringLiteral("Esperar antes de indicarla:"), ayudas);
    lblEspera->setObjectName(QStringLiteral("lblEsperaSiguienteTecla"));
    lblEspera->setGeometry(43, 58, 200, 17);
    cmbEsperaSiguienteTecla = new QComboBox(ayudas);
    cmbEsperaSiguienteTecla->setObjectName(QStringLiteral("cmbEsperaSiguienteTecla"));
    cmbEsperaSiguienteTecla->setGeometry(43, 78, 100, 22);
    cmbEsperaSiguienteTecla->addItems({QStringLiteral("No"), QStringLiteral("0,5 s"), QStringLiteral("1 s"), QStringLiteral("2 s")});
    lblEspera->setBuddy(cmbEsperaSiguienteTecla);
    // The wait only means something with the guide on.
    auto seguir = [this, lblEspera](bool activa) {
        lblEspera->setEnabled(activa);
        cmbEsperaSiguienteTecla->setEnabled(activa);
    };
    connect(chkSiguienteTecla, &QCheckBox::toggled, this, seguir);
    seguir(false);
    chkMarcarErrores = new QCheckBox(QStringLiteral("Marcar los errores al escribir"), ayudas);
    chkMarcarErrores->setObjectName(QStringLiteral("chkMarcarErrores"));
    chkMarcarErrores->setGeometry(25, 124, 220, 17);
    chkVelocidadYAciertos = new QCheckBox(QStringLiteral("Mostrar velocidad y aciertos"), ayudas);
    chkVelocidadYAciertos->setObjectName(QStringLiteral("chkVelocidadYAciertos"));
    chkVelocidadYAciertos->setGeometry(25, 156, 220, 17);
    chkGuiaHablada = new QCheckBox(QStringLiteral("Guía hablada"), ayudas);
    chkGuiaHablada->setObjectName(QStringLiteral("chkGuiaHablada"));
    chkGuiaHablada->setGeometry(25, 188, 220, 17);
    lblGuiaHablada = new QLabel(ayudas);
    lblGuiaHablada->setObjectName(QStringLiteral("lblGuiaHablada"));
    lblGuiaHablada->setGeometry(43, 206, 205, 30);
    lblGuiaHablada->setWordWrap(true);
    lblGuiaHablada->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The voice is looked for when the guide is turned on; without one it stays off and says why.
    connect(chkGuiaHablada, &QCheckBox::toggled, this, [this](bool activa) {
        if (!activa) return;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const bool hay = LaPlataforma().PrepararVoz();
        QGuiApplication::restoreOverrideCursor();
        if (hay) return;
        chkGuiaHablada->setChecked(false);
        lblGuiaHablada->setText(QStringLiteral("No hay ninguna voz en español (speech-dispatcher con espeak-ng)."));
    });
    tabConfig->addTab(ayudas, QStringLiteral("&Ayudas"));
}

int TfrmConfiguracion::EsperaSiguienteTecla() const {
    const int i = cmbEsperaSiguienteTecla->currentIndex();
    return i >= 0 && i < 4 ? kEsperas[i] : 0;
}

void TfrmConfiguracion::PonerEsperaSiguienteTecla(int ms) {
    for (int i = 0; i < 4; ++i)
        if (kEsperas[i] == ms) cmbEsperaSiguienteTecla->setCurrentIndex(i);
}

void TfrmConfiguracion::keyPressEvent(QKeyEvent* e) {
    // Enter presses the button that has the focus, and nothing else; Esc stays Cancel.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* boton = qobject_cast<QPushButton*>(focusWidget()); boton && boton->isEnabled()) boton->click();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
