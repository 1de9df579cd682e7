#pragma once

#include "core/alarm_settings.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace tarvex {

// "Alarms": each amplifier's alarm levels and what the guard does on a trip, and the
// station-wide signals. Everything is read from the per-user settings when the dialog is made
// and written back by OK, which refuses levels that make no sense and says why.
class frmAlarms : public QDialog {
    Q_OBJECT

public:
    // amplifiers: the names as the user reads them, in module order.
    explicit frmAlarms(const QStringList& amplifiers, QWidget* parent = nullptr);

    // What the dialog shows for amplifier `index` (from 0), with the fields now on screen.
    AlarmSettings settingsOf(int index) const;
    AlarmSignals signalSettings() const;

    void accept() override;

private:
    void showAmplifier(int index);
    // The fields of the amplifier on screen.
    AlarmSettings fields() const;
    void keepShown();

    std::vector<AlarmSettings> mSettings;
    int mShown = -1;

    QComboBox* cboAmplifier = nullptr;
    QDoubleSpinBox* spnSwrWarning = nullptr;
    QDoubleSpinBox* spnSwrTrip = nullptr;
    QSpinBox* spnMinForward = nullptr;
    QSpinBox* spnDriveLimit = nullptr;
    QCheckBox* chkProtect = nullptr;
    QCheckBox* chkResume = nullptr;
    QCheckBox* chkSound = nullptr;
    QCheckBox* chkNotify = nullptr;
    QLabel* lblError = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

} // namespace tarvex
