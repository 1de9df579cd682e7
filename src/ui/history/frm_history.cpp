#include "frm_history.h"

#include "history_chart.h"
#include "trip_view.h"

#include "history/csv_writer.h"
#include "ui/window_placement.h"

#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvex {

namespace {

constexpr qint64 kMinute = 60'000;
const QStringList kKinds = {QStringLiteral("state"),   QStringLiteral("fault"),
                            QStringLiteral("band"),    QStringLiteral("link"),
                            QStringLiteral("message"), QStringLiteral("remote"),
                            QStringLiteral("alarm")};

QString shownTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

frmHistory::frmHistory(QString path, HistoryClock clock, QWidget* parent)
    : QWidget(parent, Qt::Window), mPath(std::move(path)), mClock(std::move(clock)),
      mcboAmplifier(new QComboBox), mcboKind(new QComboBox), mcboSpan(new QComboBox),
      mdtpFrom(new QDateTimeEdit), mdtpTo(new QDateTimeEdit),
      mbtnRefresh(new QPushButton(tr("&Refresh"))), mbtnExport(new QPushButton(tr("&Export..."))),
      mChart(new HistoryChart), mlstEvents(new QTableWidget(0, 6)), mTrips(new TripView),
      mtabPages(new QTabWidget), mlblStatus(new QLabel) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(tr("History"));
    mcboAmplifier->setObjectName(QStringLiteral("cboAmplifier"));
    mcboKind->setObjectName(QStringLiteral("cboKind"));
    mcboSpan->setObjectName(QStringLiteral("cboSpan"));
    mdtpFrom->setObjectName(QStringLiteral("dtpFrom"));
    mdtpTo->setObjectName(QStringLiteral("dtpTo"));
    mlstEvents->setObjectName(QStringLiteral("lstEvents"));
    mlblStatus->setObjectName(QStringLiteral("lblStatus"));
    mtabPages->setObjectName(QStringLiteral("tabPages"));

    for (QComboBox* box : {mcboAmplifier, mcboKind, mcboSpan})
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    mcboKind->addItem(tr("All kinds"));
    for (const QString& kind : kKinds)
        mcboKind->addItem(kind, kind);
    mcboSpan->addItems({tr("Last 10 minutes"), tr("Last hour"), tr("Last day"), tr("Range")});
    mcboSpan->setCurrentIndex(kLastHour);
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(mClock());
    mdtpFrom->setDateTime(now.addDays(-1));
    mdtpTo->setDateTime(now);
    for (QDateTimeEdit* edit : {mdtpFrom, mdtpTo}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }

    mlstEvents->setHorizontalHeaderLabels(
        {tr("Time"), tr("Amplifier"), tr("Name"), tr("Kind"), tr("Code"), tr("Text")});
    mlstEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mlstEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    mlstEvents->verticalHeader()->hide();
    mlstEvents->horizontalHeader()->setStretchLastSection(true);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(tr("Amplifier")));
    filters->addWidget(mcboAmplifier);
    filters->addWidget(new QLabel(tr("Kind")));
    filters->addWidget(mcboKind);
    filters->addWidget(new QLabel(tr("Show")));
    filters->addWidget(mcboSpan);
    filters->addWidget(mdtpFrom);
    filters->addWidget(mdtpTo);
    filters->addStretch();
    filters->addWidget(mbtnRefresh);
    filters->addWidget(mbtnExport);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(mChart);
    split->addWidget(mlstEvents);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    mtabPages->addTab(split, tr("&Events and power"));
    mtabPages->addTab(mTrips, tr("&Trips"));
    layout->addWidget(mtabPages, 1);
    layout->addWidget(mlblStatus);
    resize(1000, 680); // the filter row whole, at the usual font sizes

    const auto changed = [this] { refresh(); };
    connect(mcboAmplifier, &QComboBox::activated, this, changed);
    connect(mcboKind, &QComboBox::activated, this, changed);
    connect(mcboSpan, &QComboBox::activated, this, [this] {
        const bool range = mcboSpan->currentIndex() == kRange;
        mdtpFrom->setEnabled(range);
        mdtpTo->setEnabled(range);
        refresh();
    });
    connect(mdtpFrom, &QDateTimeEdit::editingFinished, this, changed);
    connect(mdtpTo, &QDateTimeEdit::editingFinished, this, changed);
    connect(mbtnRefresh, &QPushButton::clicked, this, changed);
    connect(mbtnExport, &QPushButton::clicked, this, &frmHistory::btnExport_Click);
    WindowPlacement::keep(this, QStringLiteral("History"));
}

frmHistory::~frmHistory() = default;

std::pair<qint64, qint64> frmHistory::span() const {
    const qint64 now = mClock();
    switch (mcboSpan->currentIndex()) {
    case kLast10Minutes:
        return {now - 10 * kMinute, now};
    case kLastHour:
        return {now - 60 * kMinute, now};
    case kLastDay:
        return {now - 24 * 60 * kMinute, now};
    default:
        break;
    }
    const qint64 from = mdtpFrom->dateTime().toMSecsSinceEpoch();
    const qint64 to = mdtpTo->dateTime().toMSecsSinceEpoch();
    return {std::min(from, to), std::max(from, to) + kMinute};
}

bool frmHistory::followsNow() const {
    return isVisible() && mcboSpan->currentIndex() != kRange &&
           mlstEvents->verticalScrollBar()->value() == 0 &&
           mlstEvents->selectionModel()->selectedRows().isEmpty();
}

std::optional<int> frmHistory::chosenAmplifier() const {
    const QVariant data = mcboAmplifier->currentData();
    return data.isValid() ? std::optional<int>(data.toInt()) : std::nullopt;
}

// The file keeps the module index; the window numbers amplifiers from 1, as the amplifier list,
// the command line and the station links do.
QString frmHistory::shownAmplifier(int index, const QString& name) {
    const QString number = tr("Amplifier %1").arg(index + 1);
    return name.isEmpty() ? number : QStringLiteral("%1 (%2)").arg(number, name);
}

void frmHistory::fillAmplifiers() {
    const QVariant chosen = mcboAmplifier->currentData();
    mcboAmplifier->clear();
    mcboAmplifier->addItem(tr("All amplifiers"));
    for (const auto& [index, name] : mReader->amplifiers())
        mcboAmplifier->addItem(shownAmplifier(index, name), index);
    mcboAmplifier->setCurrentIndex(std::max(0, mcboAmplifier->findData(chosen)));
}

void frmHistory::refresh() {
    // A file that could not be read is tried afresh: the recorder may have made it since.
    if (!mReader || !mReader->error().isEmpty())
        mReader = std::make_unique<HistoryReader>(mPath);
    mStatus.clear();
    mShownEvents.clear();
    mShownSeries.clear();
    if (!mReader->open()) {
        mStatus = mReader->error();
        mTrips->clear();
    } else {
        mTrips->refresh(*mReader);
        fillAmplifiers();
        const auto [from, to] = span();
        EventQuery query;
        query.fromMs = from;
        query.toMs = to;
        query.amplifier = chosenAmplifier();
        query.kind = mcboKind->currentData().toString();
        mShownEvents = mReader->events(query);

        // The plot is of the amplifier chosen, or of every one the file knows, each named.
        std::vector<HistoryChart::Line> lines;
        for (int row = 1; row < mcboAmplifier->count(); ++row) {
            const int index = mcboAmplifier->itemData(row).toInt();
            if (query.amplifier && *query.amplifier != index)
                continue;
            mShownSeries.emplace_back(index, mReader->series(index, from, to));
            lines.push_back({mcboAmplifier->itemText(row), mShownSeries.back().second});
        }
        EventQuery faults;
        faults.fromMs = from;
        faults.toMs = to;
        faults.amplifier = query.amplifier;
        faults.kind = QStringLiteral("fault");
        std::vector<qint64> faultTimes;
        for (const HistoryEvent& e : mReader->events(faults))
            faultTimes.push_back(e.timeMs);
        mChart->plot(lines, faultTimes, from, to,
                     query.amplifier ? mcboAmplifier->currentText()
                                     : tr("All amplifiers (choose one to see its SWR)"));
        mStatus = mReader->error();
        if (mStatus.isEmpty() && mShownEvents.size() >= static_cast<std::size_t>(query.limit))
            mStatus = tr("Only the newest %1 events are listed.").arg(query.limit);
    }

    mlstEvents->setRowCount(static_cast<int>(mShownEvents.size()));
    int row = 0;
    for (const HistoryEvent& e : mShownEvents) {
        const QStringList cells = {shownTime(e.timeMs),
                                   QString::number(e.amplifier + 1),
                                   e.name,
                                   e.kind,
                                   e.code ? QString::number(*e.code) : QString(),
                                   e.text};
        for (int col = 0; col < cells.size(); ++col)
            mlstEvents->setItem(row, col, new QTableWidgetItem(cells[col]));
        ++row;
    }
    // Every column but the text, which keeps the rest of the width.
    for (int col = 0; col + 1 < mlstEvents->columnCount(); ++col)
        mlstEvents->resizeColumnToContents(col);
    showStatus();
}

void frmHistory::setProblem(const QString& message) {
    mProblem = message;
    showStatus();
}

void frmHistory::showStatus() {
    QStringList parts;
    for (const QString& p : {mProblem, mStatus}) {
        if (!p.isEmpty())
            parts << p;
    }
    mlblStatus->setText(parts.join(QLatin1Char(' ')));
}

bool frmHistory::exportTo(const QString& path, QString* error) {
    QString readingsPath = path;
    if (readingsPath.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        readingsPath.chop(4);
    readingsPath += QStringLiteral("-readings.csv");
    // The list shows the newest first; a file is read from the top, oldest first.
    const std::vector<HistoryEvent> oldestFirst(mShownEvents.rbegin(), mShownEvents.rend());
    return saveCsv(path, eventsCsv(oldestFirst), error, mPath) &&
           saveCsv(readingsPath, readingsCsv(mShownSeries), error, mPath);
}

void frmHistory::btnExport_Click() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export history"), QStringLiteral("history.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    mStatus = exportTo(path, &error) ? tr("Exported to %1.").arg(path) : error;
    showStatus();
}

} // namespace tarvex
