#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

namespace tarvex {

// The About box: program title and version, fixed description, the data folder and disclaimer.
// Shown without blocking the main window; OK (also Enter and Escape) hides it for reuse.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // "Version major.minor.revision" of this build.
    static QString versionText();
    // Says which folder this run keeps the amplifier list and its record in.
    void setDataFolder(const QString& path);

private:
    void Form_Load();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDataFolder = nullptr;
    QFrame* Line1[2] = {nullptr, nullptr};
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace tarvex
