#include "trip_chart.h"

#include "history/trip_track.h"

#include "core/swr.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tarvex {

TripChart::TripChart(QWidget* parent)
    : QChartView(parent), mTime(new QValueAxis), mPower(new QValueAxis), mSwrAxis(new QValueAxis) {
    setObjectName(QStringLiteral("chtTrip"));
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    mTime->setTitleText(tr("Seconds from the trip"));
    mTime->setLabelFormat(QStringLiteral("%.1f"));
    mTime->setRange(-TripTrack::kBeforeMs / 1000.0, TripTrack::kAfterMs / 1000.0);
    mTime->setTickCount(8); // one line a second
    mPower->setTitleText(tr("Power (W)"));
    mPower->setLabelFormat(QStringLiteral("%.0f"));
    mSwrAxis->setTitleText(tr("SWR"));
    mSwrAxis->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(mTime, Qt::AlignBottom);
    chart->addAxis(mPower, Qt::AlignLeft);
    chart->addAxis(mSwrAxis, Qt::AlignRight);
    setChart(chart);
    // The colours of the power plot beside it: forward blue, reflected orange, SWR grey.
    mForward = addLine(tr("Forward power"), QColor(0x1f, 0x77, 0xb4), 1.5, mPower);
    mReflected = addLine(tr("Reflected power"), QColor(0xff, 0x7f, 0x0e), 1.5, mPower);
    mInput = addLine(tr("Input power"), QColor(0x2c, 0xa0, 0x2c), 1.5, mPower);
    mSwr = addLine(tr("SWR"), QColor(0x7f, 0x7f, 0x7f), 1.5, mSwrAxis);
    mMark = addLine(tr("Trip"), Qt::red, 2.0, mPower);
}

QLineSeries* TripChart::addLine(const QString& name, const QColor& color, qreal width,
                                QValueAxis* axis) {
    auto* line = new QLineSeries;
    line->setName(name);
    QPen pen(color);
    pen.setWidthF(width);
    line->setPen(pen);
    chart()->addSeries(line);
    line->attachAxis(mTime);
    line->attachAxis(axis);
    return line;
}

void TripChart::plot(const HistoryTrip* trip, const QString& title) {
    QList<QPointF> forward, reflected, input, swrPoints;
    double top = 0;
    double topSwr = 1.0;
    if (trip) {
        const auto n = static_cast<qsizetype>(trip->readings.size());
        for (QList<QPointF>* points : {&forward, &reflected, &input, &swrPoints})
            points->reserve(n);
        for (const TripReading& r : trip->readings) {
            const double x = static_cast<double>(r.timeMs - trip->timeMs) / 1000.0;
            const double fwd = r.meters[0];
            const double rfl = r.meters[1];
            const double inp = r.meters[2];
            forward.append({x, fwd});
            reflected.append({x, rfl});
            input.append({x, inp});
            const double s = swr(fwd, rfl);
            swrPoints.append({x, s});
            top = std::max({top, fwd, rfl, inp});
            topSwr = std::max(topSwr, s);
        }
    }
    // replace() draws once; appending point by point would redraw for each.
    mForward->replace(forward);
    mReflected->replace(reflected);
    mInput->replace(input);
    mSwr->replace(swrPoints);
    mPower->setRange(0, top > 0 ? top * 1.1 : 100);
    mPower->applyNiceNumbers();
    const double swrTop = std::max(3.0, std::ceil(topSwr));
    mSwrAxis->setRange(1.0, swrTop);
    mSwrAxis->setTickCount(static_cast<int>(swrTop)); // one line per whole SWR
    // The mark spans the power axis as it was rounded.
    mMark->replace(trip ? QList<QPointF>{{0.0, 0.0}, {0.0, mPower->max()}} : QList<QPointF>{});
    chart()->setTitle(title);
}

} // namespace tarvex
