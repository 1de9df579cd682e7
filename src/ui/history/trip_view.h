#pragma once

#include "history/history_rows.h"

#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QTableWidget;

namespace tarvex {

class HistoryReader;
class TripChart;

// The trips of history.db, newest first, and the chart of the one chosen. Reads through the
// History window's reader; writes nothing.
class TripView : public QWidget {
    Q_OBJECT

public:
    explicit TripView(QWidget* parent = nullptr);

    // Lists the trips again, keeping the one chosen when it is still there (else the newest).
    void refresh(HistoryReader& reader);
    // Nothing to show: the file cannot be read.
    void clear();

    QTableWidget* tripTable() const { return mlstTrips; }
    TripChart* chart() const { return mChart; }
    // The trip drawn, with its readings.
    const std::optional<HistoryTrip>& shown() const { return mShown; }

private:
    void lstTrips_CurrentChange();

    HistoryReader* mReader = nullptr;
    std::vector<HistoryTrip> mTrips;
    std::optional<HistoryTrip> mShown;
    QTableWidget* mlstTrips;
    TripChart* mChart;
    QLabel* mlblNone;
};

} // namespace tarvex
