#include "trip_view.h"

#include "trip_chart.h"

#include "history/history_reader.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvex {

namespace {

// Milliseconds: the lines of a trip are a few apart.
QString shownTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString shownAmplifier(const HistoryTrip& t) {
    const QString number = TripView::tr("Amplifier %1").arg(t.amplifier + 1);
    return t.name.isEmpty() ? number : QStringLiteral("%1 (%2)").arg(number, t.name);
}

} // namespace

TripView::TripView(QWidget* parent)
    : QWidget(parent), mlstTrips(new QTableWidget(0, 3)), mChart(new TripChart),
      mlblNone(new QLabel(tr("No trip has been recorded: an alarm or a fault keeps the five "
                             "seconds before it and the two after here."))) {
    setObjectName(QStringLiteral("TripView"));
    mlstTrips->setObjectName(QStringLiteral("lstTrips"));
    mlstTrips->setHorizontalHeaderLabels({tr("Time"), tr("Amplifier"), tr("Cause")});
    mlstTrips->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mlstTrips->setSelectionBehavior(QAbstractItemView::SelectRows);
    mlstTrips->setSelectionMode(QAbstractItemView::SingleSelection);
    mlstTrips->verticalHeader()->hide();
    mlstTrips->horizontalHeader()->setStretchLastSection(true);
    mlblNone->setWordWrap(true);

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(mlstTrips);
    split->addWidget(mChart);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 5);
    // Room for the time to the millisecond and the amplifier beside the chart.
    split->setSizes({400, 600});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mlblNone);
    layout->addWidget(split, 1);
    connect(mlstTrips, &QTableWidget::currentCellChanged, this, &TripView::lstTrips_CurrentChange);
}

void TripView::clear() {
    mReader = nullptr;
    mTrips.clear();
    mlstTrips->setRowCount(0);
    mShown.reset();
    mChart->plot(nullptr, QString());
}

void TripView::refresh(HistoryReader& reader) {
    // Trip ids start at 1; 0 stands for none chosen.
    const qint64 chosen = mShown ? mShown->id : 0;
    // No reader while the rows change: each would load a trip.
    mReader = nullptr;
    mTrips = reader.trips();
    mlstTrips->clearSelection();
    mlstTrips->setRowCount(static_cast<int>(mTrips.size()));
    int current = mTrips.empty() ? -1 : 0;
    for (int row = 0; row < static_cast<int>(mTrips.size()); ++row) {
        const HistoryTrip& t = mTrips[static_cast<std::size_t>(row)];
        const QStringList cells = {shownTime(t.timeMs), shownAmplifier(t), t.cause};
        for (int col = 0; col < cells.size(); ++col)
            mlstTrips->setItem(row, col, new QTableWidgetItem(cells[col]));
        if (chosen != 0 && t.id == chosen)
            current = row;
    }
    mlstTrips->resizeColumnToContents(0);
    mlstTrips->resizeColumnToContents(1);
    mlblNone->setVisible(mTrips.empty());
    mReader = &reader;
    mShown.reset();
    mlstTrips->setCurrentCell(-1, -1);
    if (current >= 0)
        mlstTrips->selectRow(current);
    else
        mChart->plot(nullptr, QString());
}

void TripView::lstTrips_CurrentChange() {
    const int row = mlstTrips->currentRow();
    if (!mReader || row < 0 || row >= static_cast<int>(mTrips.size()))
        return;
    mShown = mReader->trip(mTrips[static_cast<std::size_t>(row)].id);
    if (!mShown) {
        mChart->plot(nullptr, QString());
        return;
    }
    mChart->plot(&*mShown,
                 tr("%1 at %2: %3")
                     .arg(shownAmplifier(*mShown), shownTime(mShown->timeMs),
                          mShown->cause.isEmpty() ? tr("no cause given") : mShown->cause));
}

} // namespace tarvex
