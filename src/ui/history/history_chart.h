#pragma once

#include "history/history_reader.h"

#include <QChartView>
#include <QList>

#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace tarvex {

// The power plot of the History window: forward and reflected power of each amplifier plotted
// against the left axis, every fault as a red mark on the time axis, and, when one amplifier
// is plotted, its SWR against the right axis.
class HistoryChart : public QChartView {
    Q_OBJECT

public:
    // One amplifier's readings, under the name the legend gives it.
    struct Line {
        QString name;
        HistorySeries series;
    };

    explicit HistoryChart(QWidget* parent = nullptr);

    // Replaces what is drawn; the time axis runs from fromMs to toMs.
    void plot(const std::vector<Line>& amplifiers, const std::vector<qint64>& faultTimes,
              qint64 fromMs, qint64 toMs, const QString& title);

    // Per amplifier plotted, in the order given.
    const QList<QLineSeries*>& forward() const { return mForward; }
    const QList<QLineSeries*>& reflected() const { return mReflected; }
    // Null unless exactly one amplifier is plotted: SWRs of several on one axis read as one.
    QLineSeries* swrSeries() const { return mSwr; }
    QScatterSeries* faults() const { return mFaults; }

private:
    QLineSeries* addLine(const QString& name, const QColor& color, Qt::PenStyle style,
                         QValueAxis* axis);

    QList<QLineSeries*> mForward;
    QList<QLineSeries*> mReflected;
    QLineSeries* mSwr = nullptr;
    QScatterSeries* mFaults;
    QDateTimeAxis* mTime;
    QValueAxis* mPower;
    QValueAxis* mSwrAxis;
};

} // namespace tarvex
