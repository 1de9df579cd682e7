#pragma once

#include "history/history_rows.h"

#include <QChartView>

class QLineSeries;
class QValueAxis;

namespace tarvex {

// The seconds around one trip, line by line: forward, reflected and input power against the
// left axis, the SWR they give against the right, over the five seconds before the trip and the
// two after, in seconds from the trip, which a red vertical line marks.
class TripChart : public QChartView {
    Q_OBJECT

public:
    explicit TripChart(QWidget* parent = nullptr);

    // Replaces what is drawn; nothing for no trip.
    void plot(const HistoryTrip* trip, const QString& title);

    QLineSeries* forward() const { return mForward; }
    QLineSeries* reflected() const { return mReflected; }
    QLineSeries* input() const { return mInput; }
    QLineSeries* swrSeries() const { return mSwr; }
    QLineSeries* tripMark() const { return mMark; }

private:
    QLineSeries* addLine(const QString& name, const QColor& color, qreal width, QValueAxis* axis);

    QValueAxis* mTime;
    QValueAxis* mPower;
    QValueAxis* mSwrAxis;
    QLineSeries* mForward;
    QLineSeries* mReflected;
    QLineSeries* mInput;
    QLineSeries* mSwr;
    QLineSeries* mMark;
};

} // namespace tarvex
