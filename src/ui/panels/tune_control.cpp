#include "tune_control.h"

#include "push_toggle.h"
#include "ui/up_down.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>

namespace tarvex {

TuneControl::TuneControl(QWidget* parent) : PanelControl(2400, 1200, parent) {
    setObjectName(QStringLiteral("TuneControl"));

    addLabel(this, QStringLiteral("PWR"), QRect(105, 30, 390, 150), QStringLiteral("TUNE"));
    addUpDown(QStringLiteral("U_tune"), 525,
              addReadout(QStringLiteral("lblTune"), 60, tr("Tune setting")),
              tr("Tune setting up or down"));
    addLabel(this, QStringLiteral("Label2"), QRect(825, 30, 390, 165), QStringLiteral("LOAD"));
    addUpDown(QStringLiteral("U_load"), 1275,
              addReadout(QStringLiteral("lblLoad"), 810, tr("Load setting")),
              tr("Load setting up or down"));

    addSwitch(QStringLiteral("Picture1"), QRect(1575, 45, 795, 270), QStringLiteral("U_def"),
              tr("Tune and load back to this segment's default settings"),
              QRect(-15, -15, 750, 225), QStringLiteral("DEFAULT"));
    addSwitch(QStringLiteral("Picture2"), QRect(1575, 345, 795, 285), QStringLiteral("U_ent"),
              tr("Store tune and load for this band segment"), QRect(-15, -15, 750, 240),
              QStringLiteral("ENTER"));

    addLabel(this, QStringLiteral("Label3"), QRect(45, 675, 420, 150), QStringLiteral("BAND"));
    addLabel(this, QStringLiteral("Label5"), QRect(690, 675, 315, 150), QStringLiteral("SEG"));
    addLabel(this, QStringLiteral("Label1"), QRect(1275, 675, 435, 150), QStringLiteral("FREQ"));
    addLabel(this, QStringLiteral("Label4"), QRect(1890, 675, 420, 150), QStringLiteral("TUNE"));

    addComboBox(QStringLiteral("U_band"), QRect(45, 840, 630, 315),
                {QStringLiteral("160"), QStringLiteral("80"), QStringLiteral("40"),
                 QStringLiteral("30"), QStringLiteral("20"), QStringLiteral("17"),
                 QStringLiteral("15"), QStringLiteral("12"), QStringLiteral("10")})
        ->setToolTip(tr("Band (m)"));
    addComboBox(QStringLiteral("U_segment"), QRect(690, 840, 495, 315),
                {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                 QStringLiteral("5")})
        ->setToolTip(tr("Segment of the band"));

    QLabel* freq = addLabel(this, QStringLiteral("U_freq"), QRect(1215, 840, 600, 315),
                            QStringLiteral("00000"));
    freq->setAlignment(Qt::AlignCenter);
    freq->setFont(sansFont(9.75));
    freq->setToolTip(tr("Frequency (kHz)"));
    setColors(freq, 0x80000010, 0x00FFFFFF);
    setBorder(freq);

    addSwitch(QStringLiteral("Picture3"), QRect(1830, 840, 540, 315), QStringLiteral("U_trim"),
              tr("Automatic tuning on or off"), QRect(-15, -15, 495, 270), QStringLiteral("AUTO"));

    addFrame();
    addEtchedHorizontal(645, 0, 2385);
}

QLabel* TuneControl::addReadout(const QString& name, int left, const QString& toolTip) {
    QLabel* readout = addLabel(this, name, QRect(left, 195, 495, 405), QStringLiteral("00"));
    readout->setToolTip(toolTip);
    readout->setAlignment(Qt::AlignCenter);
    readout->setFont(sansFont(12, true));
    setColors(readout, 0x80000010, 0x00FFFFFF);
    setBorder(readout);
    return readout;
}

UpDown* TuneControl::addUpDown(const QString& name, int left, QLabel* buddy,
                               const QString& toolTip) {
    auto* upDown = new UpDown(this);
    upDown->setObjectName(name);
    upDown->setToolTip(toolTip);
    place(upDown, QRect(left, 195, 240, 405));
    // The up-down writes its value into the read-out beside it; neither is bound through it.
    upDown->setBuddyLabel(buddy);
    return upDown;
}

void TuneControl::addSwitch(const QString& box, const QRect& boxTwips, const QString& name,
                            const QString& toolTip, const QRect& twips, const QString& caption) {
    QFrame* picture = addPictureBox(box, boxTwips);
    addCheckBox(picture, name, twips, caption)->setToolTip(toolTip);
}

} // namespace tarvex
