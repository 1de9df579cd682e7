#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tarvex {

// "Station Links": sets the radio to follow and the amplifier server, and shows how they
// are doing. What the choices mean is the app's business; the dialog only edits them.
class frmStationLinks : public QDialog {
    Q_OBJECT

public:
    struct Choices {
        QString rigctld; // HOST:PORT, empty: no radio followed
        int pollMs = 250;
        int ampctldPort = 0; // 0: no server
        QString bind;
        QStringList amplifiers;
        QList<bool> follow; // one per amplifier
    };
    struct Hooks {
        std::function<Choices()> current;
        // "" when applied (and kept), else what is wrong.
        std::function<QString(const Choices&)> apply;
        std::function<QString()> status;
    };

    explicit frmStationLinks(Hooks hooks, QWidget* parent = nullptr);

    Choices choices() const;

    QLineEdit* txtRigctld;
    QSpinBox* spnPoll;
    QSpinBox* spnAmpctldPort;
    QLineEdit* txtBind;
    QListWidget* lstFollow;
    QLabel* lblStatus;
    QLabel* lblError;
    QPushButton* btnApply;
    QPushButton* btnClose;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fill();
    void btnApply_Click();
    void showStatus();

    Hooks mHooks;
    QStringList mAmplifiers;
    QTimer mStatusTimer;
};

} // namespace tarvex
