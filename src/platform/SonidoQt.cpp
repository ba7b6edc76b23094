// The sound module: Qt Multimedia's QSoundEffect behind MotorSonido.
#include <QEventLoop>
#include <QPointer>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include "platform/Sonido.h"

namespace {

class MotorQt : public MotorSonido {
public:
    explicit MotorQt(QObject* dueno) : MotorSonido(dueno), clic_(new QSoundEffect(this)) {
        clic_->setSource(QUrl(QStringLiteral("qrc:/sonidos/clic.wav")));  // the program's own resource
        clic_->setVolume(0.6f);
    }

    void Clic() override {
        if (clic_->isPlaying()) clic_->stop();
        clic_->play();
    }

    bool Reproducir(const QString& ruta, int limiteMs) override {
        QSoundEffect efecto;
        QEventLoop bucle;
        bool fallo = false;
        QObject::connect(&efecto, &QSoundEffect::statusChanged, &bucle, [&] {
            if (efecto.status() == QSoundEffect::Ready) efecto.play();
            else if (efecto.status() == QSoundEffect::Error) {
                fallo = true;
                bucle.quit();
            }
        });
        QObject::connect(&efecto, &QSoundEffect::playingChanged, &bucle, [&] {
            if (!efecto.isPlaying()) bucle.quit();
        });
        QTimer::singleShot(limiteMs, &bucle, &QEventLoop::quit);
        efecto.setSource(QUrl::fromLocalFile(ruta));
        // Keys pressed meanwhile wait for the verdict box, as if the program were busy playing.
        bucle.exec(QEventLoop::ExcludeUserInputEvents);
        return !fallo;
    }

private:
    QSoundEffect* clic_;
};

}  // namespace

extern "C" Q_DECL_EXPORT MotorSonido* pt_crear_motor_sonido(QObject* dueno) { return new MotorQt(dueno); }
