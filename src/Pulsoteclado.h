// The main window: start-up and shut-down, the commands and their gating, and the run of an
// exercise from its display to its verdict.
#pragma once

#include <QMainWindow>
#include <optional>
#include <memory>
#include <string>

#include "PracticaLibre.h"
#include "catalogue/Catalogo.h"
#include "estadisticas/Registro.h"
#include "keyboard/PanelTeclado.h"
#include "keyboard/TeclaQt.h"
#include "keyboard/Traduccion.h"
#include "platform/Ajustes.h"
#include "practica/Practica.h"
#include "store/Configuracion.h"

class AyudasEscritura;
namespace estadisticas { class Servicio; }

class QAction;
class QLabel;
class QTimer;

class TfrmPulsoteclado : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmPulsoteclado(QWidget* padre = nullptr);
    ~TfrmPulsoteclado() override;

    // ---- state
    teclado::TraductorTeclas Traductor;  // MayusculasActivas and AcentoPendiente
    bool EnEjercicio = false;
    std::uint16_t Escritos = 0;
    std::uint16_t UnidadActual = 1, LeccionActual = 1, EjercicioActual = 1;
    almacen::TConfiguracion Configuracion{};
    practica::Reloj Tiempo;       // Horas, Minutos, Segundos
    std::string TextoEscrito;     // Windows-1252, as typed

    catalogo::Posicion Actual() const { return {UnidadActual, LeccionActual, EjercicioActual}; }

    // ---- commands
    void ElegirEjercicio();
    void AlternarEjercicio();
    void MostrarGrafico();
    // The practice window, opened for an own text, a timed test or the review drill.
    void TextoLibre();
    void PruebaCronometrada();
    void RepasoTeclasDebiles();
    void MostrarEstadisticas();
    void Configurar(int pagina);
    void MostrarSobrePrograma();
    void Terminar();
    void PonerModoEspera();
    void PonerModoEjercicio();
    void MostrarMensaje(std::string_view l1, std::string_view l2 = {}, std::string_view l3 = {},
                        std::string_view l4 = {}, std::string_view l5 = {});

    // ---- exercise run
    void SiguienteEjercicio();
    void MostrarEjercicio();
    void TeclaPulsada(std::uint16_t vk, std::uint8_t modificadores);
    void TeclaSoltada(std::uint16_t vk, std::uint8_t modificadores);
    void CorregirEjercicio(std::uint16_t vk, std::uint8_t modificadores);
    void SonidoTecla();
    void SonidoResultado(bool correcto);
    void RelojTimer();

    // ---- display settings
    void MostrarManos();
    void PintarTeclado();
    void AplicarPantalla();
    // The aids while typing; null while every aid is off.
    AyudasEscritura* Ayudas() const { return ayudas_.get(); }
    void AplicarAyudas(const AjustesAyudas& a);
    ::Ajustes& AjustesPrograma() { return *ajustes_; }

    // ---- statistics: the attempt under way in memory, finished ones written on their own thread
    estadisticas::RegistroIntento Registro;
    estadisticas::Servicio& Estadisticas();
    void TerminarIntento(estadisticas::Resultado resultado);

    // ---- progress file
    void CargarConfiguracion();
    bool GuardarConfiguracion();  // false when the file could not be written (already reported)
    void EscribirConfiguracion();  // throws almacen::ErrorFichero

    // ---- controls
    Panel* panelLecciones = nullptr;
    Panel* lblReloj = nullptr;
    PanelTeclado* panelTeclado = nullptr;
    QLabel* imgManos = nullptr;
    QLabel* imgManosPintadas = nullptr;
    QLabel* lblTextoOrigen = nullptr;
    QLabel* lblTextoEscrito = nullptr;
    QLabel* lblLinea = nullptr;
    QTimer* Reloj = nullptr;
    QAction* menuAbrir = nullptr;
    QAction* menuEmpezar = nullptr;
    QAction* menuGrafico = nullptr;
    QAction* menuEstadisticas = nullptr;
    QAction* menuTerminar = nullptr;
    QAction* menuTextoLibre = nullptr;
    QAction* menuPrueba = nullptr;
    QAction* menuRepaso = nullptr;
    QAction* menuCfgPantalla = nullptr;
    QAction* menuCfgSonidos = nullptr;
    QAction* menuCfgAyudas = nullptr;
    QAction* menuSobreProg = nullptr;
    Panel* Boton(const char* nombre) const { return panelTeclado->Tecla(nombre); }

    // Physical key events, as the window receives them.
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a key being practised

private:
    void FormCreate();
    void CrearMenu();
    void ColocarTextos();
    void PintarModo(bool ejercicio);
    void SincronizarModificadores();
    void Practicar(TfrmPractica::Origen origen, bool cronometrada);
    void FondoTextos();
    // The spoken guide is on and has a voice.
    bool Hablando() const;
    void Decir(const std::string& utf8);
    void DecirSiguiente(std::string frase);
    QTimer* esperaVoz_ = nullptr;
    std::string fraseEnEspera_;

    TeclasQt teclasQt_;
    std::unique_ptr<::Ajustes> ajustes_;
    std::unique_ptr<AyudasEscritura> ayudas_;
    bool mostrada_ = false;
    bool sonidosPreparados_ = false;
    bool manosDecodificadas_[2] = {false, false};  // plain, coloured
    bool cerrando_ = false;
    std::optional<almacen::ErrorFichero> errorDeCarga_;  // the progress file could not be read at start-up
    std::unique_ptr<estadisticas::Servicio> estadisticas_;
};
