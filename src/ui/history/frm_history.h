#pragma once

#include "history/history_reader.h"
#include "history/history_time.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <utility>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace tarvex {

class HistoryChart;
class TripView;

// The History window: the events of history.db, newest first, narrowed by amplifier and kind,
// above them the power plot of the chosen amplifier (or of each, with every amplifier chosen)
// over the chosen span, and an export of both as CSV. A second page lists the trips, each with
// the chart of its seconds.
// It only reads the file; the recorder writes it.
class frmHistory : public QWidget {
    Q_OBJECT

public:
    enum Span { kLast10Minutes, kLastHour, kLastDay, kRange };

    frmHistory(QString path, HistoryClock clock, QWidget* parent = nullptr);
    ~frmHistory() override;

    // Reads the file again for the chosen amplifier, kind and span.
    void refresh();
    // A problem of the record itself (the recorder stopped), shown until the window closes.
    void setProblem(const QString& message);
    // Writes the events shown to path and the readings plotted beside it ("-readings" added to
    // its name), oldest first, amplifiers numbered as shown. False with the reason.
    bool exportTo(const QString& path, QString* error);

    // Whether a refresh now would not disturb the user: the window is shown, its span ends now
    // (not a chosen range), and the list is at its top with nothing selected, where the
    // newest events appear.
    bool followsNow() const;

    // The span shown, [from, to) in ms since the epoch.
    std::pair<qint64, qint64> span() const;

    QTableWidget* eventTable() const { return mlstEvents; }
    HistoryChart* chart() const { return mChart; }
    QComboBox* amplifierBox() const { return mcboAmplifier; }
    QComboBox* kindBox() const { return mcboKind; }
    QComboBox* spanBox() const { return mcboSpan; }
    QLabel* statusLabel() const { return mlblStatus; }
    QTabWidget* pages() const { return mtabPages; }
    TripView* tripView() const { return mTrips; }

private:
    void fillAmplifiers();
    static QString shownAmplifier(int index, const QString& name);
    std::optional<int> chosenAmplifier() const;
    void btnExport_Click();
    void showStatus();

    QString mPath;
    HistoryClock mClock;
    std::unique_ptr<HistoryReader> mReader;
    std::vector<HistoryEvent> mShownEvents;
    // What the plot shows, by module index.
    std::vector<std::pair<int, HistorySeries>> mShownSeries;
    QString mProblem;
    QString mStatus;

    QComboBox* mcboAmplifier;
    QComboBox* mcboKind;
    QComboBox* mcboSpan;
    QDateTimeEdit* mdtpFrom;
    QDateTimeEdit* mdtpTo;
    QPushButton* mbtnRefresh;
    QPushButton* mbtnExport;
    HistoryChart* mChart;
    QTableWidget* mlstEvents;
    TripView* mTrips;
    QTabWidget* mtabPages;
    QLabel* mlblStatus;
};

} // namespace tarvex
