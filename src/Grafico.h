// The progress graph of one unit: a bar per exercise, as tall as its attempts against the unit's
// most attempted one, green when done and red when not. Drawn once onto Imagen, repainted from it.
#pragma once

#include <QDialog>
#include <QImage>
#include <cstdint>

#include "catalogue/Catalogo.h"
#include "practica/Practica.h"

class QPushButton;

// Shows a picture that someone else draws.
class ImagenGrafico : public QWidget {
public:
    ImagenGrafico(const QImage& imagen, QWidget* padre);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    const QImage& imagen_;
};

class TfrmGrafico : public QDialog {
    Q_OBJECT
public:
    // Margin 5, and as wide and as high as the screen.
    explicit TfrmGrafico(QWidget* padre = nullptr);

    std::uint16_t Margen = 5;
    QPushButton* btnOk;
    ImagenGrafico* imgGrafico;
    QImage Imagen;

    // Lays out the image and the button for the window's outer size and clears the image to white.
    void PrepararGrafico();
    void PrepararGrafico(int FW, int FH);
    // Draws unit u (1..7) onto the cleared image; a unit outside that range leaves it white.
    void Dibujar(int unidad, const practica::Realizados& hechos, const std::uint16_t intentos[7][12][15]);
    void btnOkClick();

    // Bar pitch for an image W pixels wide holding N bars: (W - 2 x margin) / N, at most 20.
    static int Paso(int W, int N, int margen = 5);

    // Figures of the last drawing.
    int Paso() const { return paso_; }
    int M() const { return m_; }
    int N() const { return n_; }
    int T() const { return t_; }    // text height
    int Y0() const { return y0_; }  // row of the horizontal axis
    int XBarra(int i) const { return Margen + 2 + i * paso_; }  // left column of bar i
    int Y1(unsigned intentos) const;                            // top row of a bar for that count

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    int paso_ = 0, m_ = 1, n_ = 0, t_ = 0, y0_ = 0;
};
