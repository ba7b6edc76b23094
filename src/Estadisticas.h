// The statistics window: the keyboard coloured by errors or slowness, the figures per finger, the
// confusions and accent mistakes, speed and accuracy over time, and how far the course has come.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "estadisticas/Analisis.h"

class PanelTeclado;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTabWidget;

// A white-to-deep-red scale: the colour of a share 0..1.
QColor ColorCalor(double t);

// The scale beside the keyboard, with its two ends written.
class LeyendaCalor : public QWidget {
public:
    explicit LeyendaCalor(QWidget* padre = nullptr);
    void PonerExtremos(const QString& minimo, const QString& maximo);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString minimo_, maximo_;
};

// Speed (characters per minute, left scale) and accuracy (right scale, 0..100 %) over time,
// drawn like the progress graph: lines on white, axes in black.
class GraficoHistoria : public QWidget {
public:
    explicit GraficoHistoria(QWidget* padre = nullptr);
    void PonerPuntos(std::vector<estadisticas::PuntoHistoria> puntos, bool porDia);
    const std::vector<estadisticas::PuntoHistoria>& Puntos() const { return puntos_; }
    QSize sizeHint() const override { return {760, 330}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<estadisticas::PuntoHistoria> puntos_;
    bool porDia_ = false;
};

class TfrmEstadisticas : public QDialog {
    Q_OBJECT
public:
    // exportar writes the two CSV files into a folder and returns an error text, empty on success.
    TfrmEstadisticas(QWidget* padre, estadisticas::Resumen resumen, const estadisticas::Avance& avance,
                     std::function<QString(const QString& carpeta)> exportar);

    const estadisticas::Resumen& Datos() const { return resumen_; }
    // The keyboard's colouring: errors (true) or slowness (false).
    void MostrarErrores(bool errores);
    void ElegirUnidad(std::optional<int> unidad);
    void btnExportarClick();

    QTabWidget* tabs = nullptr;
    PanelTeclado* panelTeclado = nullptr;
    LeyendaCalor* leyenda = nullptr;
    QRadioButton* radioErrores = nullptr;
    QRadioButton* radioLentitud = nullptr;
    QTableWidget* tablaDedos = nullptr;
    QTableWidget* tablaConfusiones = nullptr;
    QTableWidget* tablaAcentos = nullptr;
    GraficoHistoria* grafico = nullptr;
    QComboBox* comboUnidad = nullptr;
    QComboBox* comboPeriodo = nullptr;
    QTableWidget* tablaCurso = nullptr;
    QLabel* lblCurso = nullptr;
    QLabel* lblVacio = nullptr;
    QLabel* lblResumen = nullptr;
    QLabel* lblDebiles = nullptr;
    QPushButton* btnExportar = nullptr;
    QPushButton* btnCerrar = nullptr;

private:
    void LlenarTablas();
    void LlenarCurso(const estadisticas::Avance& avance);
    void ActualizarGrafico();

    estadisticas::Resumen resumen_;
    std::function<QString(const QString&)> exportar_;
};

// Names shown to the learner.
QString NombreDedo(int dedo);
QString NombreClaseAcento(estadisticas::ClaseAcento c);
// A Windows-1252 character as the learner reads it: "espacio", "Intro", or the character itself.
QString NombreCaracter(std::string_view c);
