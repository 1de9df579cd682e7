#pragma once

#include "history/history_reader.h"

#include <QChartView>

#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace tarvex {

// The power plot of the History window: forward and reflected power against the left axis,
// SWR against the right, and every fault as a red mark on the time axis.
class HistoryChart : public QChartView {
    Q_OBJECT

public:
    explicit HistoryChart(QWidget* parent = nullptr);

    // Replaces what is drawn; the time axis runs from fromMs to toMs.
    void plot(const HistorySeries& series, const std::vector<qint64>& faultTimes, qint64 fromMs,
              qint64 toMs, const QString& title);

    // SWR from forward and reflected power; nothing to say (1) without forward power, and the
    // plot's ceiling when nearly all of it comes back.

    QLineSeries* forward() const { return mForward; }
    QLineSeries* reflected() const { return mReflected; }
    QLineSeries* swrSeries() const { return mSwr; }
    QScatterSeries* faults() const { return mFaults; }

private:
    QLineSeries* mForward;
    QLineSeries* mReflected;
    QLineSeries* mSwr;
    QScatterSeries* mFaults;
    QDateTimeAxis* mTime;
    QValueAxis* mPower;
    QValueAxis* mSwrAxis;
};

} // namespace tarvex
