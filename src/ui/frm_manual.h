#pragma once

#include <QDialog>

class QTextBrowser;

namespace tarvex {

// Help → Manual: the README of this very build, compiled in, so what it says always matches
// the running version, with or without a network or an installed copy.
class frmManual : public QDialog {
    Q_OBJECT

public:
    explicit frmManual(QWidget* parent = nullptr);

    QTextBrowser* text() const { return txtManual; }

private:
    QTextBrowser* txtManual = nullptr;
};

} // namespace tarvex
