// The aids while typing, as a window shows them: the next key marked on the on-screen keyboard,
// errors marked in the typed text and the next character underlined in the text to copy, and
// the live speed and accuracy in the heading. A window hands over its labels, keyboard, heading
// and key translator, and tells this object when a run starts, after every key and when it ends.
// With every aid off it touches nothing: the labels keep their own plain-text painting.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextLayout>
#include <string>
#include <string_view>

#include "guia/Guia.h"
#include "keyboard/Traduccion.h"
#include "platform/Ajustes.h"

class QLabel;
class QTimer;
class Panel;
class PanelTeclado;

class AyudasEscritura : public QObject {
    Q_OBJECT
public:
    // `origen` shows the text to copy with "«" before each line break, `escrito` the copy;
    // `cabecera` gets the live figures at its right end. Any of them may be null.
    AyudasEscritura(PanelTeclado* teclado, QLabel* origen, QLabel* escrito, Panel* cabecera,
                    const teclado::TraductorTeclas* traductor, QObject* padre = nullptr);
    ~AyudasEscritura() override;

    void PonerAjustes(const AjustesAyudas& a);
    const AjustesAyudas& Ajustes() const { return ajustes_; }

    // A run starts on `texto` (Windows-1252); the guide needs the keyboard on screen.
    void Empezar(std::string_view texto, bool conTeclado);
    // After every key press of the run, with the copy as it now stands.
    void Tecla(std::string_view escrito);
    // The run ends: every mark and the figures go.
    void Terminar();
    bool EnMarcha() const { return enMarcha_; }

    // What is shown, for tests and for the spoken guide.
    Panel* PanelCifras() const { return cifras_; }
    Panel* TeclaMarcada(int i) const { return marcadas_[i]; }

signals:
    // The guide has just marked the first of these presses (after the wait, if one is set).
    void SiguienteIndicada(const guia::Secuencia& pulsaciones);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void MostrarSiguiente();
    void QuitarMarcas();
    void ActualizarCifras();
    // Lays `texto` out in `capa` exactly as the label's own plain-text painting does.
    static void Disponer(QLabel* l, const QString& texto, QTextLayout& capa);
    static void Pintar(QLabel* l, const QTextLayout& capa, const QList<QTextLayout::FormatRange>& formatos,
                       const QRect& zona);
    QRect ZonaDe(int posicion) const;  // of one character of the text to copy, in its label
    void FiltrarEtiquetas(bool si);

    QPointer<PanelTeclado> teclado_;
    QPointer<QLabel> origen_, escrito_;
    QPointer<Panel> cabecera_;
    const teclado::TraductorTeclas* traductor_;
    AjustesAyudas ajustes_;

    bool enMarcha_ = false, conTeclado_ = false, filtrando_ = false;
    std::string texto_, copia_;
    Panel* marcadas_[2] = {nullptr, nullptr};
    QTimer* espera_ = nullptr;
    QTimer* segundo_ = nullptr;
    Panel* cifras_ = nullptr;
    QElapsedTimer cronometro_;

    // Text to copy as shown, and where each of its characters sits in it.
    QString origenMostrado_;
    QTextLayout capaOrigen_;  // laid out once per run: the text does not change while it is typed
    std::vector<int> posOrigen_;
    int subrayado_ = -1;  // shown position of the next character, -1: none
    // The copy as shown when errors are marked (a wrong line break shows a "«").
    QString escritoMostrado_;
    QList<QTextLayout::FormatRange> errores_;
};
