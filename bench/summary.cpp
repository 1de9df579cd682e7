// Reads the benchmarks' JSON results and prints the one table `make bench` ends with: the
// median of the repetitions of each figure, beside what the serial line itself can carry.
#include "line_mix.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

using tarvex::bench::lineLimitPerSecond;

constexpr int kReferenceBaud = 57600;

// Median aggregates by run name ("BM_ReceivePath/chunk_bytes:64"), and the error of any run
// that failed.
struct Results {
    QHash<QString, QJsonObject> medians;
    QHash<QString, QString> errors;
    QString problem; // the file could not be read
};

Results load(const QString& path) {
    Results r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.problem = QStringLiteral("no results in %1").arg(path);
        return r;
    }
    // Statistics of a figure that is zero in every run come out as NaN, which is not JSON.
    static const QRegularExpression notANumber(QStringLiteral(R"(:\s*-?(nan|inf)\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QString text =
        QString::fromUtf8(f.readAll()).replace(notANumber, QStringLiteral(": null"));
    const QJsonArray runs =
        QJsonDocument::fromJson(text.toUtf8()).object().value("benchmarks").toArray();
    if (runs.isEmpty())
        r.problem = QStringLiteral("no results in %1").arg(path);
    for (const QJsonValue& v : runs) {
        const QJsonObject run = v.toObject();
        const QString name = run.value("run_name").toString();
        if (run.value("error_occurred").toBool())
            r.errors.insert(name, run.value("error_message").toString());
        else if (run.value("aggregate_name").toString() == QLatin1String("median"))
            r.medians.insert(name, run);
    }
    return r;
}

// One figure of a run's median, or why there is none.
struct Figure {
    std::optional<double> value;
    QString why;
};

Figure figure(const Results& r, const QString& run, const QString& field) {
    if (!r.problem.isEmpty())
        return {std::nullopt, r.problem};
    for (auto it = r.errors.constBegin(); it != r.errors.constEnd(); ++it) {
        if (it.key() == run || it.key().startsWith(run + u'/'))
            return {std::nullopt, QStringLiteral("FAILED: ") + it.value()};
    }
    // Run names carry the settings after the arguments ("/min_time:0.500/repeats:5").
    for (auto it = r.medians.constBegin(); it != r.medians.constEnd(); ++it) {
        if ((it.key() == run || it.key().startsWith(run + u'/')) && it->contains(field))
            return {it->value(field).toDouble(), {}};
    }
    return {std::nullopt, QStringLiteral("not measured")};
}

// The label a run carries (the platform it painted on), or "?".
QString platformOf(const Results& r, const QString& run) {
    for (auto it = r.medians.constBegin(); it != r.medians.constEnd(); ++it) {
        if (it.key() == run || it.key().startsWith(run + u'/'))
            return it->value("label").toString(QStringLiteral("?"));
    }
    return QStringLiteral("?");
}

QString grouped(double v) {
    return QLocale(QLocale::English).toString(std::llround(v));
}

QString fixed(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

struct Row {
    QString measure, value, limit, ratio, target, met;
};

void print(const QList<Row>& rows) {
    const QStringList head{"Measure", "Median", "Serial line (57600 baud)",
                           "Ratio",   "Target", "Met"};
    QList<int> width;
    for (const QString& h : head)
        width << h.size();
    for (const Row& r : rows) {
        const QStringList cells{r.measure, r.value, r.limit, r.ratio, r.target, r.met};
        for (int c = 0; c < cells.size(); ++c)
            width[c] = std::max(width[c], int(cells[c].size()));
    }
    auto line = [&](const QStringList& cells) {
        QString out = QStringLiteral("|");
        for (int c = 0; c < cells.size(); ++c)
            out += u' ' + cells[c].leftJustified(width[c]) + QStringLiteral(" |");
        std::printf("%s\n", qPrintable(out));
    };
    line(head);
    QStringList rule;
    for (int w : width)
        rule << QString(w, u'-');
    line(rule);
    for (const Row& r : rows)
        line({r.measure, r.value, r.limit, r.ratio, r.target, r.met});
}

QString yesNo(bool met) {
    return met ? QStringLiteral("yes") : QStringLiteral("NO");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const QString& name) {
        const int at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const Results receive = load(option("--receive"));
    const Results latency = load(option("--latency"));
    const Results process = load(option("--process"));
    const Results paint = load(option("--paint"));
    const QString callgrind = option("--instructions-per-line");
    const QString services = option("--service-instructions-per-line");

    const Figure meanBytes =
        figure(receive, "BM_ReceivePath/chunk_bytes:64", QStringLiteral("mean_line_bytes"));
    const double lineBytes = meanBytes.value.value_or(0);
    const double limit = lineBytes > 0 ? lineLimitPerSecond(kReferenceBaud, lineBytes) : 0;

    QList<Row> rows;
    auto throughput = [&](const QString& measure, const Results& r, const QString& run,
                          std::optional<double> target) {
        const Figure f = figure(r, run, QStringLiteral("lines_per_s"));
        Row row{measure, f.why, grouped(limit) + " lines/s", "", "", ""};
        if (target) {
            row.target = ">= " + grouped(*target) + " lines/s";
            row.met = f.value ? yesNo(*f.value >= *target) : yesNo(false);
        }
        if (f.value) {
            row.value = grouped(*f.value) + " lines/s";
            // The rate is per CPU second of the benchmark's thread; on a busy machine the wall
            // clock rate is lower, so it is shown as well.
            const Figure cpu = figure(r, run, QStringLiteral("cpu_time"));
            const Figure wall = figure(r, run, QStringLiteral("real_time"));
            if (cpu.value && wall.value && *wall.value > 0)
                row.value += " (wall " + grouped(*f.value * *cpu.value / *wall.value) + ")";
            if (limit > 0)
                row.ratio = fixed(*f.value / limit, 0) + "x";
        }
        rows << row;
    };
    throughput("Receive path, driver + hub, 64-byte chunks", receive,
               "BM_ReceivePath/chunk_bytes:64", 1e6);
    throughput("Receive path, driver + hub, 8-byte chunks", receive, "BM_ReceivePath/chunk_bytes:8",
               std::nullopt);
    // A count from the runner script, or why there is none.
    const auto instructions = [&rows](const char* measure, const QString& given) {
        bool ok = false;
        const double count = given.toDouble(&ok);
        rows << Row{
            measure,
            ok ? grouped(count) : (given.isEmpty() ? QStringLiteral("not measured") : given),
            "",
            "",
            "",
            ""};
    };
    instructions("Instructions per line (callgrind)", callgrind);
    throughput("With 2 x 4 panels shown offscreen, 60 Hz painting", receive,
               "BM_ReceiveWithPanels/chunk_bytes:64", 5e4);
    // The same panels at the line's own pace: what a user's machine spends on them.
    struct PaintLoad {
        const char* run;
        const char* measure;
        double target; // % of a core; 0 for none
    };
    const PaintLoad paintLoads[] = {
        {"BM_LinePaceIntoWindow/mix:0/shown:1/per_line:0/services:0",
         "CPU, 2 amplifiers metering, shown window, 10 ms pieces", 3.0},
        {"BM_LinePaceIntoWindow/mix:0/shown:1/per_line:1/services:0",
         "CPU, the same, each line on its own", 4.0},
        {"BM_LinePaceIntoWindow/mix:0/shown:1/per_line:0/services:1",
         "CPU, metering, shown, with alarms and history, 10 ms pieces", 3.0},
        {"BM_LinePaceIntoWindow/mix:0/shown:1/per_line:1/services:1",
         "CPU, the same, each line on its own", 4.0},
        {"BM_LinePaceIntoWindow/mix:1/shown:1", "CPU, 2 amplifiers sending the whole mix, shown",
         3.0},
        {"BM_LinePaceIntoWindow/mix:1/shown:0", "CPU, the whole mix, window hidden (no painting)",
         0.0},
    };
    for (const PaintLoad& p : paintLoads) {
        const QString run = QLatin1String(p.run);
        const Figure cpu = figure(paint, run, QStringLiteral("cpu_percent"));
        const Figure lines = figure(paint, run, QStringLiteral("lines_per_s_each"));
        const Figure repaints = figure(paint, run, QStringLiteral("paints_per_s"));
        Row row{QLatin1String(p.measure) + " (" + platformOf(paint, run) + ")",
                cpu.why,
                lines.value ? "2 x " + grouped(*lines.value) + " lines/s" : QString(),
                "",
                "",
                ""};
        if (cpu.value) {
            row.value = fixed(*cpu.value, 2) + "% of a core";
            if (repaints.value && *repaints.value > 0)
                row.value += ", " + grouped(*repaints.value) + " widget paints/s";
        }
        if (p.target > 0) {
            row.target = "<= " + fixed(p.target, 0) + "% of a core";
            row.met = yesNo(cpu.value && *cpu.value <= p.target);
        }
        rows << row;
    }
    instructions("Instructions per line for alarms and history (callgrind)", services);

    for (int baud : {4800, 57600}) {
        const QString run = QStringLiteral("BM_PtyToItemLatency/baud:%1").arg(baud);
        // The time the line itself takes on a wire at that rate, which a pseudo-terminal skips.
        const double lineMs = lineBytes * 10.0 / baud * 1000.0;
        for (const char* which : {"p50", "p99"}) {
            const Figure f = figure(latency, run, QString::fromLatin1(which) + "_us");
            Row row{QStringLiteral("Pty write to item change, %1 baud, %2").arg(baud).arg(which),
                    f.why,
                    "line takes " + fixed(lineMs, 2) + " ms",
                    "",
                    "",
                    ""};
            if (f.value) {
                row.value = fixed(*f.value / 1000.0, 3) + " ms";
                if (lineMs > 0)
                    row.ratio = fixed(*f.value / 1000.0 / lineMs, 3) + "x";
            }
            if (QLatin1String(which) == QLatin1String("p99")) {
                row.target = "< 2 ms";
                row.met = yesNo(f.value && *f.value < 2000.0);
            }
            rows << row;
        }
    }

    {
        const QString run = "BM_IdleTwoAmplifiers";
        const Figure cpu = figure(process, run, "cpu_ms");
        const Figure tick = figure(process, run, "tick_ms");
        const Figure exact = figure(process, run, "run_ms");
        const Figure wakeups = figure(process, run, "wakeups_per_s");
        Row row{"Idle CPU over 10 s, 2 silent amplifiers", cpu.why, "", "", "", ""};
        if (cpu.value) {
            row.value = fixed(*cpu.value, 0) + " ms (" + fixed(*cpu.value / 100.0, 2) + "%)";
            if (exact.value)
                row.value += ", exact " + fixed(*exact.value, 2) + " ms";
            if (wakeups.value)
                row.value += ", " + fixed(*wakeups.value, 1) + " wakeups/s";
        }
        // utime + stime are counted in clock ticks: one tick is the smallest non-zero reading.
        row.target = "~0 (<= 1 tick = " + fixed(tick.value.value_or(10), 0) + " ms)";
        row.met = yesNo(cpu.value && tick.value && *cpu.value <= *tick.value);
        rows << row;
    }
    {
        const QString run = "BM_StartupToPaintedWindow";
        const Figure start = figure(process, run, "real_time");
        const Figure exit = figure(process, run, "to_exit_ms");
        Row row{"Start-up to painted window, 2 amplifiers", start.why, "", "", "", ""};
        if (start.value) {
            row.value = fixed(*start.value, 0) + " ms";
            if (exit.value)
                row.value += " (process exit " + fixed(*exit.value, 0) + " ms)";
        }
        rows << row;
        const Figure rss = figure(process, run, "maxrss_mb");
        rows << Row{"Peak memory (max RSS)",
                    rss.value ? fixed(*rss.value, 1) + " MB" : rss.why,
                    "",
                    "",
                    "",
                    ""};
    }

    std::printf("\nTarvex benchmarks: %d cores (nproc), medians of the repetitions; lines/s per "
                "CPU second (wall clock in brackets); mean line of the mix %.2f bytes incl. "
                "CR LF.\n\n",
                QThread::idealThreadCount(), lineBytes);
    print(rows);
    std::printf("\nSerial line limit: %d baud carries %.0f bytes/s = %s lines/s of this mix.\n",
                kReferenceBaud, kReferenceBaud / 10.0, qPrintable(grouped(limit)));
    // A missed target is a finding, reported above; a benchmark that failed or did not run is an
    // error of the run itself.
    bool complete = true;
    for (const Row& r : rows)
        complete = complete && !r.value.startsWith(QLatin1String("FAILED")) &&
                   !r.value.startsWith(QLatin1String("no results"));
    return complete ? 0 : 1;
}
