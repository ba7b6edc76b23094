// The voice module: Qt TextToSpeech (speech-dispatcher, with espeak-ng's Spanish voice) behind
// MotorVoz.
#include <QLocale>
#include <QTextToSpeech>

#include "platform/Voz.h"

namespace {

class MotorQt : public MotorVoz {
public:
    explicit MotorQt(QObject* dueno) : MotorVoz(dueno) {
        if (QTextToSpeech::availableEngines().isEmpty()) return;
        voz_ = new QTextToSpeech(this);
        if (voz_->state() == QTextToSpeech::Error) return;
        // Spain's Spanish if there is one, else any Spanish.
        const QList<QLocale> idiomas = voz_->availableLocales();
        const QLocale* elegido = nullptr;
        for (const QLocale& l : idiomas)
            if (l.language() == QLocale::Spanish && (!elegido || l.territory() == QLocale::Spain)) elegido = &l;
        if (!elegido) return;
        voz_->setLocale(*elegido);
        disponible_ = !voz_->availableVoices().isEmpty();
    }

    bool Disponible() const override { return disponible_; }

    void Decir(const QString& texto) override {
        if (!disponible_) return;
        voz_->stop();
        if (!texto.isEmpty()) voz_->say(texto);
    }

private:
    QTextToSpeech* voz_ = nullptr;
    bool disponible_ = false;
};

}  // namespace

extern "C" Q_DECL_EXPORT MotorVoz* pt_crear_motor_voz(QObject* dueno) { return new MotorQt(dueno); }
