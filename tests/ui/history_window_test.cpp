#include "history/history_store.h"
#include "ui/history/frm_history.h"
#include "ui/history/history_chart.h"
#include "ui/history/trip_chart.h"
#include "ui/history/trip_view.h"

#include "../support/printers.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tarvex {
namespace {

constexpr qint64 kNow = 1'714'529'640'000; // 2024-05-01T02:14:00Z
constexpr qint64 kFaultAt = kNow - 20 * 60'000;

// An hour of one amplifier on the air in overs of three minutes, a trip on reflected power,
// a lost link, and a second amplifier that only came on.
void seed(const QString& path) {
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow - 3'600'000));
    HistoryBatch b;
    // clang-format off
    const std::vector<HistoryEvent> events = {
        {kNow - 55 * 60'000, 0, "Tower", "state", {}, "Operate"},
        {kNow - 50 * 60'000, 0, "Tower", "band", 5, ""},
        {kNow - 30 * 60'000, 0, "Tower", "remote", {}, "ann from 127.0.0.1: login (operate)"},
        {kFaultAt, 0, "Tower", "fault", 14, "Excessive refl. power"},
        {kNow - 19 * 60'000, 0, "Tower", "state", {}, "Standby"},
        {kNow - 10 * 60'000, 0, "Tower", "link", {}, "No answer from the amplifier"},
        {kNow - 9 * 60'000, 0, "Tower", "link", {}, "Link restored"},
        {kNow - 5 * 60'000, 1, "Shack", "state", {}, "Operate"}};
    // clang-format on
    b.events = events;
    for (qint64 s = kNow - 3'540'000; s < kNow - 60'000; s += 1000) {
        const bool tripping = s > kFaultAt - 90'000 && s < kFaultAt;
        if ((s / 60'000) % 6 >= 3 && !tripping)
            continue; // listening
        HistoryReading r;
        r.timeMs = s;
        const double envelope = 0.6 + 0.4 * std::sin(static_cast<double>(s) / 40'000.0);
        r.peak = {static_cast<int>(1200 * envelope),
                  tripping ? 180 : static_cast<int>(25 * envelope)};
        r.mean = {700 * envelope, r.peak[1] * 0.6};
        b.readings.push_back(r);
    }
    for (qint64 s = kNow - 5 * 60'000; s < kNow - 4 * 60'000; s += 1000)
        b.readings.push_back({s, 1, {600, 12}, {550.0, 10.0}});
    ASSERT_TRUE(store.write(b));
}

TEST(HistoryWindow, ShowsTheEventsAndPlotsTheChosenAmplifier) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    seed(path);
    frmHistory window(path, [] { return kNow; });
    window.resize(1000, 700);
    window.refresh();

    QTableWidget* table = window.eventTable();
    ASSERT_EQ(table->rowCount(), 8);
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("Shack")); // newest first
    EXPECT_EQ(table->item(6, 5)->text(), QStringLiteral("20 m"));  // a band row of an older file

    const HistoryChart* chart = window.chart();
    // With every amplifier listed, each is plotted under its name; SWR waits for a choice.
    ASSERT_EQ(chart->forward().size(), 2);
    EXPECT_EQ(chart->reflected()[1]->count(), 62); // its minute, and the zeros leading up to it
    EXPECT_TRUE(chart->forward()[1]->name().contains(QStringLiteral("Shack")));
    EXPECT_EQ(chart->swrSeries(), nullptr);
    ASSERT_EQ(chart->faults()->count(), 1);
    EXPECT_EQ(static_cast<qint64>(chart->faults()->at(0).x()), kFaultAt);

    // Both files read from the top, oldest first, amplifiers numbered as the window has them.
    ASSERT_TRUE(window.exportTo(dir.filePath(QStringLiteral("out.csv")), nullptr));
    const auto lines = [&](const char* name) {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    };
    const QStringList events = lines("out.csv");
    ASSERT_EQ(events.size(), 9);
    EXPECT_TRUE(events[3].endsWith(",1,Tower,remote,,ann from 127.0.0.1: login (operate)"));
    EXPECT_TRUE(events[8].endsWith(QStringLiteral(",2,Shack,state,,Operate")));
    const QStringList readings = lines("out-readings.csv").mid(1);
    EXPECT_TRUE(std::is_sorted(readings.begin(), readings.end()));
    EXPECT_EQ(readings.filter(QStringLiteral("Z,2,1,600,")).size(), 60);
    // Never over the record it reads, by a link or through its journal.
    ASSERT_TRUE(QFile::link(path, dir.filePath(QStringLiteral("link.csv"))));
    for (const QString& target : {path, dir.filePath(QStringLiteral("link.csv")), path + "-wal"})
        EXPECT_FALSE(window.exportTo(target, nullptr)) << target.toStdString();

    if (const QByteArray shots = qgetenv("TARVEX_GRAB_DIR"); !shots.isEmpty())
        window.grab().save(QDir(QString::fromLocal8Bit(shots)).filePath("history.png"));

    window.kindBox()->setCurrentIndex(window.kindBox()->findData(QStringLiteral("fault")));
    window.refresh();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 4)->text(), QStringLiteral("14"));
    window.kindBox()->setCurrentIndex(window.kindBox()->findData(QStringLiteral("remote")));
    window.refresh();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("remote"));

    window.kindBox()->setCurrentIndex(0);
    window.amplifierBox()->setCurrentIndex(window.amplifierBox()->findData(1));
    window.spanBox()->setCurrentIndex(frmHistory::kLast10Minutes);
    window.refresh();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("2")); // numbered from 1, as elsewhere
    EXPECT_EQ(chart->faults()->count(), 0);
    ASSERT_EQ(chart->forward().size(), 1);
    ASSERT_NE(chart->swrSeries(), nullptr);
    EXPECT_EQ(chart->swrSeries()->count(), chart->forward()[0]->count());
}

// The window follows new events only where a refresh would not pull rows from under the user.
TEST(HistoryWindow, FollowsOnlyTheLatestSpanWhenAtTheTopWithNothingSelected) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    seed(path);
    frmHistory window(path, [] { return kNow; });
    window.resize(600, 400);
    window.refresh();
    EXPECT_FALSE(window.followsNow()) << "hidden";
    window.show();
    EXPECT_TRUE(window.followsNow());
    window.eventTable()->selectRow(2);
    EXPECT_FALSE(window.followsNow()) << "a row selected";
    window.eventTable()->clearSelection();
    window.eventTable()->verticalScrollBar()->setValue(1);
    EXPECT_FALSE(window.followsNow()) << "scrolled down";
    window.eventTable()->verticalScrollBar()->setValue(0);
    window.spanBox()->setCurrentIndex(frmHistory::kRange);
    EXPECT_FALSE(window.followsNow()) << "a chosen range";
}
// A trip on reflected power at kNow - 60 s, a hundred lines a second, and an older one.
TEST(HistoryWindow, ListsTheTripsAndChartsTheChosenOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    constexpr qint64 kTrip = kNow - 60'000;
    HistoryTrip older{0, kNow - 3'600'000, 1, "Shack", "Grid current high", {}};
    older.readings.push_back({older.timeMs, {600, 12, 30, 240, 500}});
    HistoryTrip swrStep{0, kTrip, 0, "Tower", "SWR 2.6 over 2.0", {}};
    for (qint64 t = kTrip - 5000; t <= kTrip + 2000; t += 10) {
        const int fwd = t < kTrip + 150 ? static_cast<int>(1300 + 200 * std::sin(t / 300.0)) : 0;
        swrStep.readings.push_back({t, {fwd, t < kTrip - 400 ? fwd / 60 : fwd / 5, fwd ? 55 : 0}});
    }
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow) && store.write({{}, {}, {older, swrStep}}));
    frmHistory window(path, [] { return kNow; });
    window.resize(1000, 640);
    window.refresh();
    window.pages()->setCurrentWidget(window.tripView());

    QTableWidget* list = window.tripView()->tripTable();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("Amplifier 1 (Tower)"));
    // The newest is drawn at once: 701 lines over -5 s .. +2 s, the trip marked at 0.
    const TripChart* chart = window.tripView()->chart();
    ASSERT_EQ(chart->input()->count(), 701);
    EXPECT_DOUBLE_EQ(chart->forward()->at(0).x(), -5.0);
    // Reflected power at a sixtieth of forward 1 s before, at a fifth 0.1 s after.
    EXPECT_NEAR(chart->swrSeries()->at(400).y(), 1.296, 0.01);
    EXPECT_NEAR(chart->swrSeries()->at(510).y(), 2.618, 0.01);
    const auto* power = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).front());
    EXPECT_EQ(chart->tripMark()->points(), QList<QPointF>({{0, 0}, {0, power->max()}}));
    if (const QByteArray shots = qgetenv("TARVEX_GRAB_DIR"); !shots.isEmpty())
        window.grab().save(QDir(QString::fromLocal8Bit(shots)).filePath("trip-chart.png"));

    list->selectRow(1);
    window.refresh(); // the one chosen stays chosen
    EXPECT_EQ(chart->reflected()->points(), QList<QPointF>({{0, 12}}));
}

} // namespace
} // namespace tarvex
