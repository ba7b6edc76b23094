// The start-up baseline: a bare Qt Widgets main window of the program's size, shown, and the
// process ended once its first paint has reached the screen.
//
//   ventana_vacia [--titulo T] [--quedarse MS]
//
// --quedarse keeps the window that long after the first paint, so that an outside observer
// (medir_arranque) can see it painted; it is 0 by default.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace {

class Vacia : public QMainWindow {
public:
    int quedarse = 0;

protected:
    void paintEvent(QPaintEvent* e) override {
        QMainWindow::paintEvent(e);
        if (pintada_) return;
        pintada_ = true;
        // Queued: the backing store is flushed after this paint returns.
        QTimer::singleShot(quedarse, qApp, &QCoreApplication::quit);
    }

private:
    bool pintada_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString titulo = QStringLiteral("ventana_vacia");
    int quedarse = 0;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--titulo")) titulo = args[++i];
        else if (args[i] == QLatin1String("--quedarse")) quedarse = args[++i].toInt();
    }
    Vacia v;
    v.quedarse = quedarse;
    v.setWindowTitle(titulo);
    v.resize(792, 576);  // the main window's size: the same amount of pixels to paint
    v.show();
    return QApplication::exec();
}
