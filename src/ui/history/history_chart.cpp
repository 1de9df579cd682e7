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

namespace {

// One colour per amplifier; its reflected power is drawn dashed in a lighter shade.
const QColor kAmplifierColors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0x2c, 0xa0, 0x2c),
                                   QColor(0x94, 0x67, 0xbd), QColor(0xbc, 0xbd, 0x22),
                                   QColor(0x8c, 0x56, 0x4b), QColor(0x17, 0xbe, 0xcf)};
const QColor kReflectedColor(0xff, 0x7f, 0x0e);
const QColor kSwrColor(0x7f, 0x7f, 0x7f);

} // namespace

HistoryChart::HistoryChart(QWidget* parent)
    : QChartView(parent), mFaults(new QScatterSeries), mTime(new QDateTimeAxis),
      mPower(new QValueAxis), mSwrAxis(new QValueAxis) {
    setObjectName(QStringLiteral("chtPower"));
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
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
    chart->addSeries(mFaults);
    mFaults->attachAxis(mTime);
    mFaults->attachAxis(mPower);
    setChart(chart);
}

QLineSeries* HistoryChart::addLine(const QString& name, const QColor& color, Qt::PenStyle style,
                                   QValueAxis* axis) {
    auto* line = new QLineSeries;
    line->setName(name);
    QPen pen(color);
    pen.setWidthF(1.5);
    pen.setStyle(style);
    line->setPen(pen);
    chart()->addSeries(line);
    line->attachAxis(mTime);
    line->attachAxis(axis);
    return line;
}

void HistoryChart::plot(const std::vector<Line>& amplifiers, const std::vector<qint64>& faultTimes,
                        qint64 fromMs, qint64 toMs, const QString& title) {
    for (QLineSeries* old : mForward + mReflected + QList<QLineSeries*>{mSwr}) {
        if (old) {
            chart()->removeSeries(old);
            delete old;
        }
    }
    mForward.clear();
    mReflected.clear();
    mSwr = nullptr;

    const bool one = amplifiers.size() == 1;
    double top = 0;
    double topSwr = 1.0;
    for (std::size_t i = 0; i < amplifiers.size(); ++i) {
        const Line& amp = amplifiers[i];
        QList<QPointF> forward, reflected, swrPoints;
        forward.reserve(static_cast<qsizetype>(amp.series.points.size()));
        reflected.reserve(forward.capacity());
        for (const HistoryPoint& p : amp.series.points) {
            const auto x = static_cast<qreal>(p.timeMs);
            forward.append({x, p.fwdPeak});
            reflected.append({x, p.rflPeak});
            top = std::max({top, p.fwdPeak, p.rflPeak});
            if (one) {
                const double s = swr(p.fwdPeak, p.rflPeak);
                swrPoints.append({x, s});
                topSwr = std::max(topSwr, s);
            }
        }
        const QColor color = kAmplifierColors[i % std::size(kAmplifierColors)];
        // replace() draws once; appending point by point would redraw for each.
        mForward << addLine(one ? tr("Forward power") : tr("%1 forward").arg(amp.name), color,
                            Qt::SolidLine, mPower);
        mForward.back()->replace(forward);
        // Alone, reflected power has a colour of its own; beside others, its amplifier's.
        mReflected << addLine(one ? tr("Reflected power") : tr("%1 reflected").arg(amp.name),
                              one ? kReflectedColor : color.lighter(140), Qt::DashLine, mPower);
        mReflected.back()->replace(reflected);
        if (one) {
            mSwr = addLine(tr("SWR"), kSwrColor, Qt::SolidLine, mSwrAxis);
            mSwr->replace(swrPoints);
        }
    }
    QList<QPointF> faults;
    for (const qint64 t : faultTimes)
        faults.append({static_cast<qreal>(t), 0.0});
    mFaults->replace(faults);

    const qint64 span = toMs - fromMs;
    mTime->setFormat(span <= 3'600'000        ? QStringLiteral("HH:mm:ss")
                     : span <= 2 * 86'400'000 ? QStringLiteral("dd HH:mm")
                                              : QStringLiteral("MM-dd"));
    mTime->setRange(QDateTime::fromMSecsSinceEpoch(fromMs), QDateTime::fromMSecsSinceEpoch(toMs));
    mPower->setRange(0, top > 0 ? top * 1.1 : 100);
    mPower->applyNiceNumbers();
    mSwrAxis->setVisible(one);
    const double swrTop = std::max(3.0, std::ceil(topSwr));
    mSwrAxis->setRange(1.0, swrTop);
    mSwrAxis->setTickCount(static_cast<int>(swrTop)); // one line per whole SWR
    chart()->setTitle(title);
}

} // namespace tarvex
