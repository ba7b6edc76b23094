#include "Pulsoteclado.h"

#include <QAction>
#include <QCheckBox>
#include <QTabWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QIconEngine>
#include <QImageReader>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QTimer>

#include "AyudasEscritura.h"
#include "Configuracion.h"
#include "EligeUnidad.h"
#include "Estadisticas.h"
#include "estadisticas/Servicio.h"
#include "Grafico.h"
#include "Lecciones.h"
#include "Piezas.h"
#include "SobreProg.h"
#include "Accesibilidad.h"
#include "guia/Nombres.h"
#include "platform/Jpeg.h"
#include "practica/Repaso.h"
#include "platform/Plataforma.h"
#include "platform/Rutas.h"
#include "platform/Texto.h"

// The pictures and the click live in a static library: their resources must be registered by hand.
static void RegistrarRecursos() { Q_INIT_RESOURCE(recursos); }

namespace {

using piezas::kGrisMedio;

// Builds the base style's icon the first time it is drawn or measured.
class IconoDiferido : public QIconEngine {
public:
    IconoDiferido(QStyle* estilo, QStyle::StandardPixmap sp) : estilo_(estilo), sp_(sp) {}
    void paint(QPainter* p, const QRect& r, QIcon::Mode m, QIcon::State s) override {
        Icono().paint(p, r, Qt::AlignCenter, m, s);
    }
    QPixmap pixmap(const QSize& t, QIcon::Mode m, QIcon::State s) override { return Icono().pixmap(t, m, s); }
    QSize actualSize(const QSize& t, QIcon::Mode m, QIcon::State s) override { return Icono().actualSize(t, m, s); }
    QList<QSize> availableSizes(QIcon::Mode m, QIcon::State s) override { return Icono().availableSizes(m, s); }
    QIconEngine* clone() const override { return new IconoDiferido(*this); }

private:
    const QIcon& Icono() {
        if (!hecho_ && estilo_) icono_ = estilo_->standardIcon(sp_);
        hecho_ = true;
        return icono_;
    }
    QPointer<QStyle> estilo_;
    QStyle::StandardPixmap sp_;
    QIcon icono_;
    bool hecho_ = false;
};

class EstiloPulsoteclado : public QProxyStyle {
public:
    // Alt pressed and released alone must not move focus into the menu bar: Alt is a key being
    // practised. Alt with a menu's letter still opens the menu.
    int styleHint(StyleHint h, const QStyleOption* o, const QWidget* w, QStyleHintReturn* r) const override {
        if (h == QStyle::SH_MenuBar_AltKeyNavigation) return 0;
        return QProxyStyle::styleHint(h, o, w, r);
    }
    // The menu bar's extension button, never shown (the three menus always fit), gets its picture
    // only if it is ever drawn: reading that picture loads and probes every image plug-in.
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* o, const QWidget* w) const override {
        if (sp == SP_ToolBarHorizontalExtensionButton && !o) return QIcon(new IconoDiferido(baseStyle(), sp));
        return QProxyStyle::standardIcon(sp, o, w);
    }
};

// The program's icon, for the window and its dialogs. Read as the PNG it is: a reader left to
// guess the format loads every image plug-in first.
void PonerIconoPrograma() {
    QImageReader lector(QStringLiteral(":/imagenes/pulsoteclado.png"), "png");
    lector.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(lector.read())));
}

}  // namespace

TfrmPulsoteclado::TfrmPulsoteclado(QWidget* padre) : QMainWindow(padre) {
    RegistrarRecursos();
    accesibilidad::Instalar();
    setObjectName(QStringLiteral("frmPulsoteclado"));
    setWindowTitle(QStringLiteral("Pulsoteclado"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont fuente(QStringLiteral("Liberation Sans"));
    fuente.setPixelSize(11);
    setFont(fuente);
    setFocusPolicy(Qt::StrongFocus);

    auto* cliente = new QWidget(this);
    cliente->setObjectName(QStringLiteral("cliente"));
    cliente->setFixedSize(792, 554);
    cliente->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(cliente);

    // Beneath everything else: the hands pictures, decoded once, when first shown.
    imgManos = piezas::Manos(cliente, "imgManos");
    imgManosPintadas = piezas::Manos(cliente, "imgManosPintadas");

    panelTeclado = new PanelTeclado(cliente);
    panelTeclado->move(8, 32);

    panelLecciones = piezas::Cabecera(cliente, "panelLecciones", &lblReloj);

    lblLinea = piezas::Linea(cliente);
    lblTextoOrigen = piezas::EtiquetaTexto(cliente, "lblTextoOrigen", QStringLiteral("Texto a copiar"));
    lblTextoEscrito = piezas::EtiquetaTexto(cliente, "lblTextoEscrito", QStringLiteral("Texto escrito"));
    piezas::ColocarTextos(lblTextoOrigen, lblTextoEscrito, false);
    FondoTextos();

    Reloj = new QTimer(this);
    Reloj->setObjectName(QStringLiteral("Reloj"));
    Reloj->setTimerType(Qt::PreciseTimer);
    connect(Reloj, &QTimer::timeout, this, &TfrmPulsoteclado::RelojTimer);

    CrearMenu();

    // The command strip: a click runs the same command as the menu and the shortcut.
    connect(Boton("btnF1"), &Panel::Pulsado, this, &TfrmPulsoteclado::MostrarSobrePrograma);
    connect(Boton("btnF5"), &Panel::Pulsado, this, &TfrmPulsoteclado::ElegirEjercicio);
    connect(Boton("btnF6"), &Panel::Pulsado, this, &TfrmPulsoteclado::AlternarEjercicio);
    connect(Boton("btnF7"), &Panel::Pulsado, this, &TfrmPulsoteclado::MostrarGrafico);
    connect(Boton("btnF9"), &Panel::Pulsado, this, [this] { Configurar(0); });
    connect(Boton("btnF10"), &Panel::Pulsado, this, [this] { Configurar(1); });
    const std::pair<const char*, const char*> pistas[] = {
        {"btnESC", "Cancelar escritura"}, {"btnF1", "Sobre el programa"}, {"btnF5", "Abrir lección"},
        {"btnF6", "Empezar ejercicio"},   {"btnF7", "Ver gráfico"},       {"btnF9", "Configurar pantalla"},
        {"btnF10", "Configurar sonidos"}};
    for (const auto& [n, pista] : pistas) Boton(n)->PonerPista(QString::fromUtf8(pista));

    setFixedSize(792, 554 + menuBar()->sizeHint().height());
    FormCreate();
}

TfrmPulsoteclado::~TfrmPulsoteclado() = default;

void TfrmPulsoteclado::AplicarAyudas(const AjustesAyudas& a) {
    if (!ayudas_ && !a.Alguna()) return;
    if (!ayudas_)
        ayudas_ = std::make_unique<AyudasEscritura>(panelTeclado, lblTextoOrigen, lblTextoEscrito, panelLecciones, &Traductor);
    ayudas_->PonerAjustes(a);
}

estadisticas::Servicio& TfrmPulsoteclado::Estadisticas() {
    if (!estadisticas_) {
        // Faults are met on the writing thread: their box is shown from the window's own.
        QPointer<TfrmPulsoteclado> ventana(this);
        estadisticas_ = std::make_unique<estadisticas::Servicio>(
            rutas::FicheroEstadisticas().toStdString(), [ventana](estadisticas::Servicio::Aviso a, const std::string& detalle) {
                QString texto;
                const QString d = QString::fromStdString(detalle);
                switch (a) {
                case estadisticas::Servicio::Aviso::Renombrada:
                    texto = QStringLiteral("El fichero de estadísticas estaba dañado. Se ha guardado aparte como\n") + d +
                            QStringLiteral("\ny se ha empezado uno nuevo. Su progreso no se ha tocado.");
                    break;
                case estadisticas::Servicio::Aviso::NoDisponible:
                    texto = QStringLiteral("No se pueden guardar las estadísticas:\n") + d +
                            QStringLiteral("\n\nEl programa sigue sin ellas en esta sesión; su progreso no se ha tocado.");
                    break;
                case estadisticas::Servicio::Aviso::NoEscrita:
                    texto = QStringLiteral("No se ha podido guardar un intento en las estadísticas:\n") + d +
                            QStringLiteral("\n\nSu progreso no se ha tocado.");
                    break;
                }
                QMetaObject::invokeMethod(
                    qApp, [ventana, texto] { LaPlataforma().MostrarAviso(ventana.data(), texto); }, Qt::QueuedConnection);
            });
    }
    return *estadisticas_;
}

void TfrmPulsoteclado::TerminarIntento(estadisticas::Resultado resultado) {
    if (std::optional<estadisticas::Intento> in = Registro.Terminar(resultado, TextoEscrito.size()))
        Estadisticas().Encolar(std::move(*in));
}

void TfrmPulsoteclado::CrearMenu() {
    // The application's style, set before the menu bar exists: the bar takes its extension
    // button's picture from it when it is made.
    if (!dynamic_cast<EstiloPulsoteclado*>(QApplication::style())) QApplication::setStyle(new EstiloPulsoteclado);
    auto item = [this](QMenu* m, const char* texto, int tecla, void (TfrmPulsoteclado::*orden)()) {
        QAction* a = m->addAction(QString::fromUtf8(texto));
        if (tecla) a->setShortcut(QKeySequence(tecla));
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, orden);
        return a;
    };
    QMenu* fichero = menuBar()->addMenu(QStringLiteral("&Fichero"));
    menuAbrir = item(fichero, "&Abrir Lección...", Qt::Key_F5, &TfrmPulsoteclado::ElegirEjercicio);
    menuEmpezar = item(fichero, "&Empezar", Qt::Key_F6, &TfrmPulsoteclado::AlternarEjercicio);
    menuGrafico = item(fichero, "&Gráfico...", Qt::Key_F7, &TfrmPulsoteclado::MostrarGrafico);
    fichero->addSeparator();
    menuTerminar = item(fichero, "&Terminar", 0, &TfrmPulsoteclado::Terminar);
    QMenu* practicaMenu = menuBar()->addMenu(QStringLiteral("&Práctica"));
    menuTextoLibre = item(practicaMenu, "Texto &libre...", 0, &TfrmPulsoteclado::TextoLibre);
    menuPrueba = item(practicaMenu, "&Prueba cronometrada...", 0, &TfrmPulsoteclado::PruebaCronometrada);
    menuRepaso = item(practicaMenu, "&Repaso de teclas débiles...", 0, &TfrmPulsoteclado::RepasoTeclasDebiles);
    menuEstadisticas = item(practicaMenu, "&Estadísticas...", 0, &TfrmPulsoteclado::MostrarEstadisticas);
    QMenu* cfg = menuBar()->addMenu(QStringLiteral("&Configuración"));
    menuCfgPantalla = cfg->addAction(QStringLiteral("&Pantalla..."));
    menuCfgPantalla->setShortcut(QKeySequence(Qt::Key_F9));
    connect(menuCfgPantalla, &QAction::triggered, this, [this] { Configurar(0); });
    menuCfgSonidos = cfg->addAction(QStringLiteral("&Sonidos..."));
    menuCfgSonidos->setShortcut(QKeySequence(Qt::Key_F10));
    connect(menuCfgSonidos, &QAction::triggered, this, [this] { Configurar(1); });
    menuCfgAyudas = cfg->addAction(QStringLiteral("&Ayudas..."));
    connect(menuCfgAyudas, &QAction::triggered, this, [this] { Configurar(2); });
    QMenu* ayuda = menuBar()->addMenu(QStringLiteral("&Ayuda"));
    menuSobreProg = item(ayuda, "Sobre el programa...", Qt::Key_F1, &TfrmPulsoteclado::MostrarSobrePrograma);
    menuAbrir->setObjectName(QStringLiteral("menuAbrir"));
    menuEmpezar->setObjectName(QStringLiteral("menuEmpezar"));
    menuGrafico->setObjectName(QStringLiteral("menuGrafico"));
    menuTerminar->setObjectName(QStringLiteral("menuTerminar"));
    menuTextoLibre->setObjectName(QStringLiteral("menuTextoLibre"));
    menuPrueba->setObjectName(QStringLiteral("menuPrueba"));
    menuRepaso->setObjectName(QStringLiteral("menuRepaso"));
    menuEstadisticas->setObjectName(QStringLiteral("menuEstadisticas"));
    menuCfgPantalla->setObjectName(QStringLiteral("menuCfgPantalla"));
    menuCfgSonidos->setObjectName(QStringLiteral("menuCfgSonidos"));
    menuCfgAyudas->setObjectName(QStringLiteral("menuCfgAyudas"));
    menuSobreProg->setObjectName(QStringLiteral("menuSobreProg"));
}

void TfrmPulsoteclado::FormCreate() {
    CargarConfiguracion();
    ajustes_ = std::make_unique<::Ajustes>();
    AplicarAyudas(LeerAyudas(*ajustes_));
    Traductor.Reiniciar();
    EnEjercicio = false;
    Escritos = 0;
    SiguienteEjercicio();
    Boton("btnESC")->PonerMostrarPista(false);
    PonerModoEspera();
}

// ---------------------------------------------------------------- commands

void TfrmPulsoteclado::PintarModo(bool ejercicio) {
    // F6 stays grey and available in both modes; the other five follow the mode.
    const QColor cara = palette().color(QPalette::Button);
    for (const char* n : {"btnF1", "btnF5", "btnF6", "btnF7", "btnF9", "btnF10"}) {
        const bool activo = !ejercicio || std::string_view(n) == "btnF6";
        Boton(n)->PonerColor(activo ? kGrisMedio : cara);
        Boton(n)->PonerMostrarPista(activo);
    }
    Boton("btnF6")->PonerPista(ejercicio ? QStringLiteral("Terminar ejercicio") : QStringLiteral("Empezar ejercicio"));
}

void TfrmPulsoteclado::PonerModoEspera() { PintarModo(false); }
void TfrmPulsoteclado::PonerModoEjercicio() { PintarModo(true); }

void TfrmPulsoteclado::Terminar() { close(); }

void TfrmPulsoteclado::MostrarMensaje(std::string_view l1, std::string_view l2, std::string_view l3,
                                      std::string_view l4, std::string_view l5) {
    const QString texto = DeCp1252(practica::TextoMensaje(l1, l2, l3, l4, l5));
    if (Hablando()) LaPlataforma().Decir(texto);  // the verdict, read while its box is open
    LaPlataforma().MostrarMensaje(this, texto);
}

void TfrmPulsoteclado::ElegirEjercicio() {
    if (!Boton("btnF5")->MostrarPista()) return;
    {
        TfrmLecciones dialogo(this);
        dialogo.Llenar(Configuracion.Realizados);
        if (LaPlataforma().EjecutarDialogo(dialogo) == QDialog::Accepted) {
            const catalogo::Posicion p = dialogo.PosicionElegida();
            UnidadActual = p.Unidad;
            LeccionActual = p.Leccion;
            EjercicioActual = p.Ejercicio;
        }
    }
    MostrarEjercicio();
}

void TfrmPulsoteclado::Configurar(int pagina) {
    if (!Boton("btnF9")->MostrarPista()) return;
    TfrmConfiguracion dialogo(this);
    dialogo.tabConfig->setCurrentIndex(pagina);
    dialogo.radioManos->PonerItemIndex(Configuracion.VerManos);
    dialogo.radioTeclado->PonerItemIndex(Configuracion.PintarTecladoActivo);
    dialogo.chkSonidoTecla->setChecked(Configuracion.SonidoTeclaActivo != 0);
    dialogo.chkSonidoLeccion->setChecked(Configuracion.SonidoLeccionActivo != 0);
    const AjustesAyudas ayudas = ayudas_ ? ayudas_->Ajustes() : AjustesAyudas{};
    dialogo.chkSiguienteTecla->setChecked(ayudas.SiguienteTecla);
    dialogo.PonerEsperaSiguienteTecla(ayudas.EsperaSiguienteTecla);
    dialogo.chkMarcarErrores->setChecked(ayudas.MarcarErrores);
    dialogo.chkVelocidadYAciertos->setChecked(ayudas.VelocidadYAciertos);
    dialogo.chkGuiaHablada->setChecked(ayudas.GuiaHablada);
    if (LaPlataforma().EjecutarDialogo(dialogo) != QDialog::Accepted) return;
    Configuracion.VerManos = static_cast<std::uint8_t>(dialogo.radioManos->ItemIndex());
    Configuracion.PintarTecladoActivo = static_cast<std::uint8_t>(dialogo.radioTeclado->ItemIndex());
    Configuracion.SonidoTeclaActivo = dialogo.chkSonidoTecla->isChecked() ? 1 : 0;
    Configuracion.SonidoLeccionActivo = dialogo.chkSonidoLeccion->isChecked() ? 1 : 0;
    AplicarPantalla();
    AjustesAyudas nuevas;
    nuevas.SiguienteTecla = dialogo.chkSiguienteTecla->isChecked();
    nuevas.EsperaSiguienteTecla = dialogo.EsperaSiguienteTecla();
    nuevas.MarcarErrores = dialogo.chkMarcarErrores->isChecked();
    nuevas.VelocidadYAciertos = dialogo.chkVelocidadYAciertos->isChecked();
    nuevas.GuiaHablada = dialogo.chkGuiaHablada->isChecked();
    if (nuevas == ayudas) return;
    AplicarAyudas(nuevas);
    // The aids have a file of their own, written now; the progress file is not involved.
    PonerAyudas(*ajustes_, nuevas);
    QString error;
    if (!ajustes_->Guardar(&error)) LaPlataforma().MostrarError(this, error);
}

void TfrmPulsoteclado::MostrarGrafico() {
    if (!Boton("btnF7")->MostrarPista()) return;
    TfrmEligeUnidad elige(this);
    elige.Llenar(UnidadActual);
    if (LaPlataforma().EjecutarDialogo(elige) != QDialog::Accepted) return;
    const int u = elige.UnidadElegida();
    if (u < 1 || u > catalogo::NumUnidades) return;
    TfrmGrafico grafico(this);
    grafico.PrepararGrafico();
    grafico.setWindowTitle(QStringLiteral("Gráfico de la unidad Nº ") + QString::number(u));
    grafico.Dibujar(u, Configuracion.Realizados, Configuracion.Intentos);
    grafico.setWindowState(Qt::WindowMaximized);
    LaPlataforma().EjecutarDialogo(grafico);
}

void TfrmPulsoteclado::TextoLibre() { Practicar(TfrmPractica::Origen::Propio, false); }
void TfrmPulsoteclado::PruebaCronometrada() { Practicar(TfrmPractica::Origen::Pasaje, true); }
void TfrmPulsoteclado::RepasoTeclasDebiles() { Practicar(TfrmPractica::Origen::Repaso, false); }

void TfrmPulsoteclado::Practicar(TfrmPractica::Origen origen, bool cronometrada) {
    // Refused while an exercise runs, as F5 is.
    if (!Boton("btnF5")->MostrarPista()) return;
    TfrmPractica dialogo(Configuracion, ayudas_ ? ayudas_->Ajustes() : AjustesAyudas{}, ajustes_.get(), this);
    // One Caps Lock for both windows: the program follows the lock by the presses it sees.
    dialogo.PonerMayusculas(Traductor.MayusculasActivas);
    dialogo.LeerTeclasDebiles = [this]() -> std::pair<std::string, std::uint64_t> {
        estadisticas::Resumen r;
        if (!Estadisticas().Analizar(r)) return {};
        std::string teclas;
        for (const estadisticas::TeclaDebil& t : r.TeclasDebiles(practica::kTeclasRepaso)) teclas += t.caracter;
        return {practica::ObjetivosRepaso(teclas, r.AcentosFrecuentes()), r.pulsaciones};
    };
    dialogo.AlTerminarIntento = [this](estadisticas::Intento in) { Estadisticas().Encolar(std::move(in)); };
    dialogo.Preparar(origen, cronometrada);
    LaPlataforma().EjecutarDialogo(dialogo);
    if (Traductor.MayusculasActivas != dialogo.Traductor.MayusculasActivas) {
        Traductor.MayusculasActivas = dialogo.Traductor.MayusculasActivas;
        panelTeclado->PanelMayusculas()->PonerColor(Traductor.MayusculasActivas ? QColor(0, 255, 0) : QColor());
    }
}

void TfrmPulsoteclado::MostrarEstadisticas() {
    if (!Boton("btnF7")->MostrarPista()) return;
    estadisticas::Resumen resumen;
    const bool leidas = Estadisticas().Analizar(resumen);
    auto exportar = [this](const QString& carpeta) {
        const QString intentos = carpeta + QStringLiteral("/pulsoteclado-intentos.csv");
        const QString pulsaciones = carpeta + QStringLiteral("/pulsoteclado-pulsaciones.csv");
        if ((QFileInfo::exists(intentos) || QFileInfo::exists(pulsaciones)) &&
            !LaPlataforma().Preguntar(this, QStringLiteral("Ya hay ficheros exportados en\n") + carpeta +
                                                QStringLiteral("\n\n¿Desea sustituirlos?")))
            return QString();
        QString error;
        const bool hecho = Estadisticas().Usar([&](estadisticas::BaseDatos& db) {
            try {
                db.ExportarCsv(QFile::encodeName(intentos).toStdString(), QFile::encodeName(pulsaciones).toStdString());
            } catch (const estadisticas::ErrorBase& e) {
                if (e.tipo == estadisticas::ErrorBase::Tipo::Danada) throw;
                error = QString::fromStdString(e.what());
            }
        });
        if (!hecho && error.isEmpty()) error = QStringLiteral("No se han podido leer las estadísticas.");
        return error;
    };
    TfrmEstadisticas ventana(this, std::move(resumen), estadisticas::AvanceCurso(Configuracion), exportar);
    if (!leidas)
        ventana.lblVacio->setText(QStringLiteral("No se han podido leer las estadísticas en esta sesión.\n\n") +
                                  QString::fromStdString(Estadisticas().Ruta()));
    ventana.ElegirUnidad(UnidadActual);
    LaPlataforma().EjecutarDialogo(ventana);
}

void TfrmPulsoteclado::MostrarSobrePrograma() {
    if (!Boton("btnF1")->MostrarPista()) return;
    TfrmSobreElPrograma dialogo(this);
    LaPlataforma().EjecutarDialogo(dialogo);
}

// ---------------------------------------------------------------- exercise run

void TfrmPulsoteclado::SiguienteEjercicio() {
    const catalogo::Posicion p = practica::SiguienteEjercicio(Configuracion.Realizados);
    UnidadActual = p.Unidad;
    LeccionActual = p.Leccion;
    EjercicioActual = p.Ejercicio;
    MostrarEjercicio();
}

void TfrmPulsoteclado::ColocarTextos() { piezas::ColocarTextos(lblTextoOrigen, lblTextoEscrito, UnidadActual > 3); }

void TfrmPulsoteclado::MostrarEjercicio() {
    const catalogo::Posicion p = Actual();
    panelLecciones->PonerTitulo(DeCp1252(practica::Cabecera(p)));
    lblTextoOrigen->setText(DeCp1252(practica::TextoAMostrar(catalogo::Texto(p))));
    TextoEscrito.clear();
    lblTextoEscrito->clear();
    ColocarTextos();
}

void TfrmPulsoteclado::AlternarEjercicio() {
    Panel* esc = Boton("btnESC");
    if (!EnEjercicio) {
        if (UnidadActual > 3) {
            panelTeclado->hide();
            imgManos->hide();
            imgManosPintadas->hide();
            lblLinea->move(3, piezas::AlturaLinea(true));
        } else {
            panelTeclado->show();
            MostrarManos();
            lblLinea->move(3, piezas::AlturaLinea(false));
        }
        lblLinea->show();
        EnEjercicio = true;
        TextoEscrito.clear();
        lblTextoEscrito->clear();
        esc->PonerColor(kGrisMedio);
        esc->PonerMostrarPista(true);
        PonerModoEjercicio();
        lblTextoOrigen->show();
        lblTextoEscrito->show();
        if (UnidadActual == 5) {
            lblReloj->show();
            Tiempo.Poner();
            Reloj->start(1000);
            lblReloj->PonerTitulo(QStringLiteral("00:00"));
        }
        if (ayudas_) ayudas_->Empezar(catalogo::Texto(Actual()), UnidadActual <= 3);
        if (Hablando())
            Decir(guia::FraseInicio(Traductor, catalogo::Texto(Actual()), ayudas_->Ajustes().SiguienteTecla));
    } else {
        if (ayudas_) ayudas_->Terminar();
        if (esperaVoz_) esperaVoz_->stop();
        if (Hablando()) Decir({});
        panelTeclado->show();
        MostrarManos();
        EnEjercicio = false;
        TerminarIntento(estadisticas::Resultado::Abandonado);
        if (Escritos > 0) almacen::SumarIntento(Configuracion, UnidadActual, LeccionActual, EjercicioActual);
        Escritos = 0;
        esc->PonerColor(palette().color(QPalette::Button));
        esc->PonerMostrarPista(false);
        PonerModoEspera();
        lblTextoOrigen->hide();
        lblTextoEscrito->hide();
        if (UnidadActual == 5) {
            lblReloj->hide();
            Reloj->stop();
        }
        lblLinea->hide();
    }
}

void TfrmPulsoteclado::TeclaPulsada(std::uint16_t vk, std::uint8_t mods) {
    const teclado::FilaTecla* fila = nullptr;
    const std::string TextoTecla = Traductor.Pulsar(vk, mods, &fila);
    if (fila) {
        panelTeclado->Hundir(*fila);
        if (fila->tipo == teclado::Tipo::BloqMayus)
            panelTeclado->PanelMayusculas()->PonerColor(Traductor.MayusculasActivas ? QColor(0, 255, 0) : QColor());
    }
    if (vk == teclado::VK_ESCAPE) {
        if (EnEjercicio) {
            // After an Esc the next typed key starts a new attempt.
            TerminarIntento(estadisticas::Resultado::Abandonado);
            const QString antes = lblTextoEscrito->text();
            TextoEscrito.clear();
            lblTextoEscrito->clear();
            accesibilidad::TextoCambiado(lblTextoEscrito, antes);
        }
        if (Escritos > 0) almacen::SumarIntento(Configuracion, UnidadActual, LeccionActual, EjercicioActual);
        Escritos = 0;
    }
    if (practica::TeclaConClic(vk)) SonidoTecla();
    if (!EnEjercicio) return;
    if (vk != teclado::VK_ESCAPE) {
        // Kept in memory only: nothing here touches a file.
        if (!Registro.Activo())
            Registro.Empezar(estadisticas::Origen::Catalogo, Actual(), std::string(catalogo::Texto(Actual())));
        Registro.Pulsar(vk, mods, TextoTecla, TextoEscrito.size());
    }
    if (TextoTecla.size() == 1 && TextoTecla[0] == '\b') {
        if (!TextoEscrito.empty()) {
            TextoEscrito.pop_back();
            --Escritos;
            const QString antes = lblTextoEscrito->text();
            lblTextoEscrito->setText(DeCp1252(TextoEscrito));
            accesibilidad::TextoCambiado(lblTextoEscrito, antes);
        }
        if (ayudas_) ayudas_->Tecla(TextoEscrito);
    } else {
        TextoEscrito += TextoTecla;
        if (ayudas_) ayudas_->Tecla(TextoEscrito);  // its marks before the synchronous paint
        if (!TextoTecla.empty()) {
            const QString antes = lblTextoEscrito->text();
            lblTextoEscrito->setText(DeCp1252(TextoEscrito));
            // On screen before the completion test and before any verdict box.
            lblTextoEscrito->repaint();
            accesibilidad::TextoCambiado(lblTextoEscrito, antes);
        }
        Escritos = static_cast<std::uint16_t>(Escritos + TextoTecla.size());
    }
    const std::string_view texto = catalogo::Texto(Actual());
    if (Escritos >= texto.size()) {
        CorregirEjercicio(vk, mods);
        return;
    }
    // The spoken guide: a key that changed the copy or the pending accent cuts what was being
    // said and, with the next-key aid, names what comes next. Shift and the like say nothing.
    if (Hablando() && (!TextoTecla.empty() || vk == teclado::VK_ESCAPE || (fila && fila->tipo == teclado::Tipo::Muerta)))
        DecirSiguiente(ayudas_->Ajustes().SiguienteTecla ? guia::FraseSiguiente(Traductor, TextoEscrito, texto) : std::string());
}

void TfrmPulsoteclado::DecirSiguiente(std::string frase) {
    // The aid's wait holds for the voice as for the mark: a learner who hesitates hears it.
    const int espera = ayudas_->Ajustes().EsperaSiguienteTecla;
    if (esperaVoz_) esperaVoz_->stop();
    if (espera <= 0 || frase.empty()) {
        Decir(frase);
        return;
    }
    Decir({});  // the key cuts at once
    if (!esperaVoz_) {
        esperaVoz_ = new QTimer(this);
        esperaVoz_->setSingleShot(true);
        connect(esperaVoz_, &QTimer::timeout, this, [this] {
            if (EnEjercicio) Decir(fraseEnEspera_);
        });
    }
    fraseEnEspera_ = std::move(frase);
    esperaVoz_->start(espera);
}

bool TfrmPulsoteclado::Hablando() const {
    return ayudas_ && ayudas_->Ajustes().GuiaHablada && LaPlataforma().HayVoz();
}

void TfrmPulsoteclado::Decir(const std::string& utf8) { LaPlataforma().Decir(QString::fromStdString(utf8)); }

void TfrmPulsoteclado::TeclaSoltada(std::uint16_t vk, std::uint8_t) {
    if (const teclado::FilaTecla* fila = teclado::BuscarFila(vk)) panelTeclado->Levantar(*fila);
}

void TfrmPulsoteclado::CorregirEjercicio(std::uint16_t vk, std::uint8_t mods) {
    // The clock as it stood at this key: no tick counts while the result sound plays.
    Reloj->stop();
    const practica::Reloj tiempo = Tiempo;
    Escritos = 0;
    almacen::SumarIntento(Configuracion, UnidadActual, LeccionActual, EjercicioActual);
    TeclaSoltada(vk, mods);
    const std::string_view texto = catalogo::Texto(Actual());
    // Queued for writing before the sound and the box: the verdict never waits for the disk.
    TerminarIntento(TextoEscrito == texto ? estadisticas::Resultado::Correcto : estadisticas::Resultado::Incorrecto);
    if (TextoEscrito == texto) {
        SonidoResultado(true);
        std::string velocidad;
        if (UnidadActual == 5)
            velocidad = practica::LineaVelocidad(
                practica::Velocidad(TextoEscrito.size(), tiempo.Horas, tiempo.Minutos, tiempo.Segundos));
        MostrarMensaje(practica::kCorrecto,
                       practica::LineaIntentos(Configuracion.Intentos[UnidadActual - 1][LeccionActual - 1][EjercicioActual - 1]),
                       velocidad);
        lblReloj->hide();
        Configuracion.Realizados[UnidadActual - 1][LeccionActual - 1][EjercicioActual - 1] = 1;
        SiguienteEjercicio();
    } else {
        const unsigned precision = practica::Precision(TextoEscrito, texto);
        SonidoResultado(false);
        MostrarMensaje(practica::kIncorrecto, practica::kRepetir, practica::LineaPrecision(precision));
        lblReloj->hide();
    }
    AlternarEjercicio();
}

void TfrmPulsoteclado::SonidoTecla() {
    if (EnEjercicio && Configuracion.SonidoTeclaActivo) LaPlataforma().Pitido();
}

void TfrmPulsoteclado::SonidoResultado(bool correcto) { piezas::SonidoResultado(Configuracion.SonidoLeccionActivo != 0, correcto); }

void TfrmPulsoteclado::RelojTimer() {
    Tiempo.Tic();
    lblReloj->PonerTitulo(QString::fromStdString(practica::TextoReloj(Tiempo.Horas, Tiempo.Minutos, Tiempo.Segundos)));
}

// ---------------------------------------------------------------- display settings

void TfrmPulsoteclado::MostrarManos() {
    piezas::MostrarManos(Configuracion.VerManos, imgManos, imgManosPintadas, manosDecodificadas_);
}

void TfrmPulsoteclado::PintarTeclado() { panelTeclado->PintarTeclado(Configuracion.PintarTecladoActivo); }

void TfrmPulsoteclado::AplicarPantalla() {
    MostrarManos();
    PintarTeclado();
}

// ---------------------------------------------------------------- progress file

void TfrmPulsoteclado::CargarConfiguracion() {
    const std::string ruta = rutas::FicheroConfiguracion().toStdString();
    try {
        const almacen::Carga r = almacen::CargarConfiguracion(ruta, Configuracion);
        AplicarPantalla();
        if (r == almacen::Carga::Corta) {
            LaPlataforma().Pitido();
            MostrarMensaje("Error en el fichero con la configuraci\xF3n.", "Se ha dejado la configuraci\xF3n por defecto.");
        }
    } catch (const almacen::ErrorFichero& e) {
        // The program goes on with the defaults in memory; the box tells why.
        if (e.fichero == ruta) errorDeCarga_ = e;  // the file itself could not be read
        almacen::ConfiguracionPorDefecto(Configuracion);
        AplicarPantalla();
        LaPlataforma().MostrarError(this, QString::fromStdString(e.what()));
    }
}

void TfrmPulsoteclado::EscribirConfiguracion() {
    const QString ruta = rutas::FicheroConfiguracion();
    // A file that could not be read at start-up holds progress this session never saw: even if it
    // has become readable since, the defaults in memory must not replace it.
    if (errorDeCarga_ && QFileInfo::exists(ruta)) throw *errorDeCarga_;
    almacen::GuardarConfiguracion(ruta.toStdString(), Configuracion);
}

bool TfrmPulsoteclado::GuardarConfiguracion() {
    try {
        EscribirConfiguracion();
        return true;
    } catch (const almacen::ErrorFichero& e) {
        LaPlataforma().MostrarError(this, QString::fromStdString(e.what()));
        return false;
    }
}

void TfrmPulsoteclado::closeEvent(QCloseEvent* e) {
    try {
        EscribirConfiguracion();
    } catch (const almacen::ErrorFichero& error) {
        const QString pregunta = QString::fromStdString(error.what()) +
                                 QStringLiteral("\n\n¿Desea cerrar el programa sin guardar el progreso?");
        if (!LaPlataforma().Preguntar(this, pregunta)) {
            e->ignore();
            return;
        }
    }
    Reloj->stop();
    if (EnEjercicio) TerminarIntento(estadisticas::Resultado::Abandonado);
    if (estadisticas_) estadisticas_->Esperar();
    e->accept();
}

// ---------------------------------------------------------------- window events

void TfrmPulsoteclado::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!mostrada_) {
        mostrada_ = true;
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
        setFocus();
    }
}

void TfrmPulsoteclado::paintEvent(QPaintEvent* e) {
    QMainWindow::paintEvent(e);
    if (!sonidosPreparados_) {
        sonidosPreparados_ = true;
        // The icon and the sound output wait until the first paint of the whole window has been
        // sent to the screen: the queued call runs after the backing store is flushed.
        QTimer::singleShot(0, this, [this] {
            PonerIconoPrograma();
            LaPlataforma().PrepararSonidos();
            // A second later, the statistics window's figures are read on the writing thread, if
            // there is a history: the window then opens without reading it all.
            QTimer::singleShot(1000, this, [this] {
                if (QFileInfo::exists(rutas::FicheroEstadisticas())) Estadisticas().Precalentar();
            });
            if (ayudas_ && ayudas_->Ajustes().GuiaHablada) LaPlataforma().HayVoz();  // on its thread
        });
    }
}

void TfrmPulsoteclado::FondoTextos() { piezas::FondoTextos(palette(), lblTextoOrigen, lblTextoEscrito); }

// Key events may have gone elsewhere meanwhile (a menu, a popup, a dialog or another window took
// a modifier's key-up or key-down): the modifiers the translation uses and the on-screen Shift,
// Control and Alt keys follow the keys held now.
void TfrmPulsoteclado::SincronizarModificadores() { panelTeclado->PonerModificadores(teclasQt_.Sincronizar()); }

void TfrmPulsoteclado::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange && lblTextoOrigen) FondoTextos();
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) SincronizarModificadores();
    QMainWindow::changeEvent(e);
}

// Focus comes back when a menu or popup closes and when the menu bar lets go of the keyboard.
void TfrmPulsoteclado::focusInEvent(QFocusEvent* e) {
    SincronizarModificadores();
    QMainWindow::focusInEvent(e);
}

void TfrmPulsoteclado::keyPressEvent(QKeyEvent* e) {
    teclado::EventoTecla ev[2];
    const int n = teclasQt_.Traducir(*e, ev);
    for (int i = 0; i < n; ++i) TeclaPulsada(ev[i].vk, ev[i].modificadores);
    e->accept();
}

void TfrmPulsoteclado::keyReleaseEvent(QKeyEvent* e) {
    teclado::EventoTecla ev[2];
    const int n = teclasQt_.Traducir(*e, ev);
    for (int i = 0; i < n; ++i) TeclaSoltada(ev[i].vk, ev[i].modificadores);
    e->accept();
}
