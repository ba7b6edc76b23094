// The on-screen keyboard: one bevelled panel per key, the lock lights and the finger colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <string_view>
#include <vector>

#include "keyboard/TeclasFisicas.h"
#include "keyboard/Traduccion.h"

// What a key shows besides a caption: its legend, drawn in code so it stays crisp at any scale.
enum class Leyenda : std::uint8_t {
    Ninguna, Simbolos, Tabulador, Mayusculas, Borrar, Intro, Windows, Menu,
    FlechaArriba, FlechaAbajo, FlechaIzquierda, FlechaDerecha
};

// A panel with a settable outer bevel, colour, caption and hint, as the keys and the heading use.
class Panel : public QWidget {
    Q_OBJECT
public:
    enum class Bisel : std::uint8_t { Ninguno, Elevado, Hundido };

    explicit Panel(QWidget* padre = nullptr);

    Bisel BiselExterior() const { return exterior_; }
    void PonerBiselExterior(Bisel b);
    void PonerBiselInterior(Bisel b);
    void PonerAnchoBisel(int ancho);
    // An invalid colour is the value none (an unlit light).
    QColor Color() const { return color_; }
    void PonerColor(const QColor& c);
    QString Titulo() const { return titulo_; }
    void PonerTitulo(const QString& t);
    void PonerSubrayado(bool s);
    void PonerLeyenda(Leyenda l, const QRect& area, const QString& abajo = {}, const QString& arriba = {});
    // The hint and its flag; the flag doubles as the enabled flag of a command panel.
    QString Pista() const { return pista_; }
    void PonerPista(const QString& p);
    bool MostrarPista() const { return mostrarPista_; }
    void PonerMostrarPista(bool m);
    void PonerAlineacionIzquierda(bool izquierda);
    // The guide's mark: a dark ring with a light lining just inside the bevel, under the legend,
    // so it shows on every key colour and leaves the bevel (up or down) as it is.
    bool Marca() const { return marca_; }
    void PonerMarca(bool m);
    // The caption's font: the panel's own, or the small size of the lock-light labels when the
    // caption is too wide for the panel; and the horizontal scale (1 or less) that narrows a
    // caption still too wide at the small size. Only two sizes ever get loaded for the keys.
    const QFont& FuenteTitulo();
    double EscalaTitulo();
    // The width a caption may take: inside the bevels, less a pixel each side.
    int AnchoTitulo() const;
    static constexpr int kPixelesPequenos = 9;

signals:
    void Pulsado();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void PintarLeyenda(class QPainter& p);
    QColor Tinta() const;

    Bisel exterior_ = Bisel::Elevado;
    Bisel interior_ = Bisel::Ninguno;
    int anchoBisel_ = 1;
    QColor color_;
    bool colorPropio_ = false;
    QString titulo_;
    void AjustarTitulo();
    QFont fuenteTitulo_;
    double escalaTitulo_ = 1;
    int anchoFuenteTitulo_ = -1;  // the width the caption was fitted to; -1: to be fitted
    bool subrayado_ = false;
    bool izquierda_ = false;
    Leyenda leyenda_ = Leyenda::Ninguna;
    QRect areaLeyenda_;
    QString abajo_, arriba_;
    QString pista_;
    bool mostrarPista_ = false;
    bool marca_ = false;
};

// Place of one key panel inside PanelTeclado.
struct DefTecla {
    const char* nombre;
    int x, y, ancho, alto;
    const char* titulo;  // UTF-8 caption, or null for a legend key
    Leyenda leyenda;
    const char* abajo;   // legend symbols (UTF-8)
    const char* arriba;
    QRect area;          // legend area inside the key
};

class PanelTeclado : public Panel {
    Q_OBJECT
public:
    explicit PanelTeclado(QWidget* padre = nullptr);

    static const std::vector<DefTecla>& Disposicion();
    // The 55 typing keys that the finger colours paint.
    static const std::vector<const char*>& TeclasDeEscritura();
    // Finger colour of a typing key; thumbs take the active caption colour.
    static QColor ColorDedo(std::string_view nombre, const QPalette& paleta);

    Panel* Tecla(std::string_view nombre) const;
    Panel* PanelLuces() const { return luces_; }
    Panel* PanelMayusculas() const { return mayusculas_; }
    Panel* PanelNumerico() const { return numerico_; }
    Panel* PanelScroll() const { return scroll_; }

    static void HundirTecla(Panel* p) { p->PonerBiselExterior(Panel::Bisel::Hundido); }
    static void LevantarTecla(Panel* p) { p->PonerBiselExterior(Panel::Bisel::Elevado); }
    // The panels of a row of the key table.
    void Hundir(const teclado::FilaTecla& fila);
    void Levantar(const teclado::FilaTecla& fila);
    // The modifier keys as they are held now (after TeclasQt::Sincronizar).
    void PonerModificadores(const std::array<teclado::EstadoModificador, 3>& estados) {
        for (const teclado::EstadoModificador& m : estados)
            if (const teclado::FilaTecla* fila = teclado::BuscarFila(m.vk)) m.abajo ? Hundir(*fila) : Levantar(*fila);
    }
    // 0 plain keys, 1 keys coloured by finger; other values change nothing.
    void PintarTeclado(int pintarTecladoActivo);

private:
    QHash<QByteArray, Panel*> teclas_;
    std::array<std::array<Panel*, 2>, 256> porVk_{};
    Panel* luces_ = nullptr;
    Panel* mayusculas_ = nullptr;
    Panel* numerico_ = nullptr;
    Panel* scroll_ = nullptr;
};
