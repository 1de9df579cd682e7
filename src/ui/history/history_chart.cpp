#include "history_chart.h"

#include "core/swr.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tarvex {

HistoryChart::HistoryChart(QWidget* parent)
    : QChartView(parent), mForward(new QLineSeries), mReflected(new QLineSeries),
      mSwr(new QLineSeries), mFaults(new QScatterSeries), mTime(new QDateTimeAxis),
      mPower(new QValueAxis), mSwrAxis(new QValueAxis) {
    setObjectName(QStringLiteral("chtPower"));
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    mForward->setName(tr("Forward power"));
    mReflected->setName(tr("Reflected power"));
    mSwr->setName(tr("SWR"));
    mFaults->setName(tr("Faults"));
    mFaults->setColor(Qt::red);
    mFaults->setMarkerSize(12);
    mPower->setTitleText(tr("Power"));
    mPower->setLabelFormat(QStringLiteral("%.0f"));
    mSwrAxis->setTitleText(tr("SWR"));
    mSwrAxis->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(mTime, Qt::AlignBottom);
    chart->addAxis(mPower, Qt::AlignLeft);
    chart->addAxis(mSwrAxis, Qt::AlignRight);
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{mForward, mReflected, mFaults}) {
        chart->addSeries(s);
        s->attachAxis(mTime);
        s->attachAxis(mPower);
    }
    chart->addSeries(mSwr);
    mSwr->attachAxis(mTime);
    mSwr->attachAxis(mSwrAxis);
    setChart(chart);
}

void HistoryChart::plot(const HistorySeries& series, const std::vector<qint64>& faultTimes,
                        qint64 fromMs, qint64 toMs, const QString& title) {
    QList<QPointF> forward, reflected, swrPoints, faults;
    forward.reserve(static_cast<qsizetype>(series.points.size()));
    reflected.reserve(forward.capacity());
    swrPoints.reserve(forward.capacity());
    double top = 0;
    double topSwr = 1.0;
    for (const HistoryPoint& p : series.points) {
        const auto x = static_cast<qreal>(p.timeMs);
        forward.append({x, p.fwdPeak});
        reflected.append({x, p.rflPeak});
        const double s = swr(p.fwdPeak, p.rflPeak);
        swrPoints.append({x, s});
        top = std::max({top, p.fwdPeak, p.rflPeak});
        topSwr = std::max(topSwr, s);
    }
    for (const qint64 t : faultTimes)
        faults.append({static_cast<qreal>(t), 0.0});
    // replace() draws once; appending point by point would redraw for each.
    mForward->replace(forward);
    mReflected->replace(reflected);
    mSwr->replace(swrPoints);
    mFaults->replace(faults);

    const qint64 span = toMs - fromMs;
    mTime->setFormat(span <= 3'600'000        ? QStringLiteral("HH:mm:ss")
                     : span <= 2 * 86'400'000 ? QStringLiteral("dd HH:mm")
                                              : QStringLiteral("MM-dd"));
    mTime->setRange(QDateTime::fromMSecsSinceEpoch(fromMs), QDateTime::fromMSecsSinceEpoch(toMs));
    mPower->setRange(0, top > 0 ? top * 1.1 : 100);
    mPower->applyNiceNumbers();
    const double swrTop = std::max(3.0, std::ceil(topSwr));
    mSwrAxis->setRange(1.0, swrTop);
    mSwrAxis->setTickCount(static_cast<int>(swrTop)); // one line per whole SWR
    chart()->setTitle(title);
}

} // namespace tarvex
