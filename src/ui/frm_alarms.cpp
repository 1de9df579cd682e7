#include "frm_alarms.h"

#include "core/user_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tarvex {

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QDoubleSpinBox* swrBox(QWidget* parent, const char* name) {
    auto* box = named(new QDoubleSpinBox(parent), name);
    // Wider than the settings accept, so that a wrong level is refused with a reason rather
    // than silently pulled into range.
    box->setRange(1.0, 10.0);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(":1"));
    return box;
}

} // namespace

frmAlarms::frmAlarms(const QStringList& amplifiers, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAlarms"));
    setWindowTitle(tr("Alarms"));

    QSettings settings = userSettings();
    for (int i = 0; i < amplifiers.size(); ++i)
        mSettings.push_back(AlarmSettings::load(settings, i));
    const AlarmSignals signalChoices = AlarmSignals::load(settings);

    cboAmplifier = named(new QComboBox(this), "cboAmplifier");
    for (int i = 0; i < amplifiers.size(); ++i)
        cboAmplifier->addItem(QStringLiteral("%1  %2").arg(i + 1).arg(amplifiers[i]));
    spnSwrWarning = swrBox(this, "spnSwrWarning");
    spnSwrTrip = swrBox(this, "spnSwrTrip");
    spnMinForward = named(new QSpinBox(this), "spnMinForward");
    spnMinForward->setRange(0, 5000);
    spnMinForward->setSuffix(QStringLiteral(" W"));
    spnDriveLimit = named(new QSpinBox(this), "spnDriveLimit");
    spnDriveLimit->setRange(0, 1000);
    spnDriveLimit->setSuffix(QStringLiteral(" W"));
    spnDriveLimit->setSpecialValueText(tr("off"));
    chkProtect = named(new QCheckBox(tr("&Protect: go to standby on a trip"), this), "chkProtect");
    chkResume = named(
        new QCheckBox(tr("&Return to operate after 10 s (at most 3 times in 5 minutes)"), this),
        "chkResume");
    chkSound = named(new QCheckBox(tr("&Sound with an alarm"), this), "chkSound");
    chkNotify = named(new QCheckBox(tr("&Desktop notifications"), this), "chkNotify");
    chkSound->setChecked(signalChoices.sound);
    chkNotify->setChecked(signalChoices.notify);
    lblError = named(new QLabel(this), "lblError");
    lblError->setWordWrap(true);
    lblError->setStyleSheet(QStringLiteral("color: #c00000"));
    buttons = named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this),
                    "buttons");

    auto* amplifier = new QGroupBox(tr("Amplifier"), this);
    auto* form = new QFormLayout(amplifier);
    form->addRow(tr("&Amplifier:"), cboAmplifier);
    form->addRow(tr("SWR &warning at:"), spnSwrWarning);
    form->addRow(tr("SWR &trip at:"), spnSwrTrip);
    form->addRow(tr("SWR counts from &forward power:"), spnMinForward);
    form->addRow(tr("Drive &limit:"), spnDriveLimit);
    form->addRow(chkProtect);
    form->addRow(chkResume);
    auto* station = new QGroupBox(tr("Every amplifier"), this);
    auto* stationLayout = new QVBoxLayout(station);
    stationLayout->addWidget(chkSound);
    stationLayout->addWidget(chkNotify);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(amplifier);
    layout->addWidget(station);
    layout->addWidget(lblError);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &frmAlarms::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cboAmplifier, &QComboBox::currentIndexChanged, this, [this](int index) {
        keepShown();
        showAmplifier(index);
    });
    amplifier->setEnabled(!mSettings.empty());
    showAmplifier(mSettings.empty() ? -1 : 0);
}

void frmAlarms::showAmplifier(int index) {
    mShown = index;
    if (index < 0 || index >= int(mSettings.size()))
        return;
    const AlarmSettings& s = mSettings[size_t(index)];
    spnSwrWarning->setValue(s.swrWarning);
    spnSwrTrip->setValue(s.swrTrip);
    spnMinForward->setValue(s.minForwardW);
    spnDriveLimit->setValue(s.driveLimitW);
    chkProtect->setChecked(s.protect);
    chkResume->setChecked(s.resume);
}

AlarmSettings frmAlarms::fields() const {
    AlarmSettings s;
    s.swrWarning = spnSwrWarning->value();
    s.swrTrip = spnSwrTrip->value();
    s.minForwardW = spnMinForward->value();
    s.driveLimitW = spnDriveLimit->value();
    s.protect = chkProtect->isChecked();
    s.resume = chkResume->isChecked();
    return s;
}

void frmAlarms::keepShown() {
    if (mShown >= 0 && mShown < int(mSettings.size()))
        mSettings[size_t(mShown)] = fields();
}

AlarmSettings frmAlarms::settingsOf(int index) const {
    return index == mShown ? fields() : mSettings.at(size_t(index));
}

AlarmSignals frmAlarms::signalSettings() const {
    AlarmSignals s;
    s.sound = chkSound->isChecked();
    s.notify = chkNotify->isChecked();
    return s;
}

void frmAlarms::accept() {
    keepShown();
    for (int i = 0; i < int(mSettings.size()); ++i) {
        if (const QString wrong = mSettings[size_t(i)].check(); !wrong.isEmpty()) {
            // Show the amplifier whose levels are wrong, and keep the dialog open.
            cboAmplifier->setCurrentIndex(i);
            lblError->setText(tr("Amplifier %1: %2.").arg(i + 1).arg(wrong));
            return;
        }
    }
    QSettings settings = userSettings();
    for (int i = 0; i < int(mSettings.size()); ++i)
        mSettings[size_t(i)].save(settings, i);
    signalSettings().save(settings);
    settings.sync();
    lblError->clear();
    QDialog::accept();
}

} // namespace tarvex
