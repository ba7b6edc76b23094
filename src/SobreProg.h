// The about box: a few words of advice on how to use the program.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfrmSobreElPrograma : public QDialog {
    Q_OBJECT
public:
    // Fills Memo.
    explicit TfrmSobreElPrograma(QWidget* padre = nullptr);

    QPlainTextEdit* Memo;
    QPushButton* btnOk;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
