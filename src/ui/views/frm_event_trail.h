#pragma once

#include <QWidget>

class QComboBox;
class QPlainTextEdit;

namespace tarvex {

// The "Event Trail Viewer" window: a selection list of item names above the trail box. It only
// lays itself out; EventTrailView decides what goes into it.
class frmEventTrail : public QWidget {
    Q_OBJECT

public:
    explicit frmEventTrail(QWidget* parent = nullptr);

    QComboBox* cboEventTrail() const { return mCbo; }
    QPlainTextEdit* txtEventTrail() const { return mTxt; }

signals:
    // The user closed the window (not raised by hide() or deletion).
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();

    QComboBox* mCbo = nullptr;
    QPlainTextEdit* mTxt = nullptr;
};

} // namespace tarvex
