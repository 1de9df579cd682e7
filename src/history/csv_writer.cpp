#include "csv_writer.h"

#include "history_file.h"
#include "history_time.h"

#include "core/swr.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <tuple>

namespace tarvex {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

QString line(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields)
        quoted << csvField(f);
    return quoted.join(u',') + kLineEnd;
}

} // namespace

QString csvField(const QString& text) {
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    const bool quote =
        std::any_of(text.begin(), text.end(), [](QChar c) { return kSpecial.contains(c); });
    if (!quote)
        return text;
    QString out = text;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QByteArray eventsCsv(const std::vector<HistoryEvent>& events) {
    QString out = line({QStringLiteral("time"), QStringLiteral("amplifier"), QStringLiteral("name"),
                        QStringLiteral("kind"), QStringLiteral("code"), QStringLiteral("text")});
    for (const HistoryEvent& e : events) {
        out += line({historyTime(e.timeMs), QString::number(e.amplifier + 1), e.name, e.kind,
                     e.code ? QString::number(*e.code) : QString(), e.text});
    }
    return out.toUtf8();
}

QByteArray readingsCsv(const std::vector<std::pair<int, HistorySeries>>& series) {
    struct Row {
        qint64 timeMs;
        int amplifier;
        qint64 bucketMs;
        const HistoryPoint* point;
    };
    std::vector<Row> rows;
    for (const auto& [amplifier, s] : series) {
        for (const HistoryPoint& p : s.points)
            rows.push_back({p.timeMs, amplifier, s.bucketMs, &p});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return std::tie(a.timeMs, a.amplifier) < std::tie(b.timeMs, b.amplifier);
    });
    QString out =
        line({QStringLiteral("time"), QStringLiteral("amplifier"), QStringLiteral("seconds"),
              QStringLiteral("pfwd_peak"), QStringLiteral("pfwd_mean"), QStringLiteral("prfl_peak"),
              QStringLiteral("prfl_mean")});
    for (const Row& r : rows) {
        const HistoryPoint& p = *r.point;
        out += line({historyTime(p.timeMs), QString::number(r.amplifier + 1),
                     QString::number(r.bucketMs / 1000), QString::number(p.fwdPeak),
                     QString::number(p.fwdMean, 'f', 1), QString::number(p.rflPeak),
                     QString::number(p.rflMean, 'f', 1)});
    }
    return out.toUtf8();
}

QByteArray tripCsv(const HistoryTrip& trip) {
    QStringList header{QStringLiteral("time"), QStringLiteral("amplifier"),
                       QStringLiteral("from_trip_ms")};
    for (const char* meter : kHistoryMeters)
        header << QLatin1String(meter);
    header << QStringLiteral("swr");
    QString out = line(header);
    for (const TripReading& r : trip.readings) {
        QStringList fields{historyTime(r.timeMs), QString::number(trip.amplifier + 1),
                           QString::number(r.timeMs - trip.timeMs)};
        for (const int value : r.meters)
            fields << QString::number(value);
        fields << QString::number(swr(r.meters[0], r.meters[1]), 'f', 2);
        out += line(fields);
    }
    return out.toUtf8();
}

QByteArray tripsCsv(const std::vector<HistoryTrip>& trips) {
    QString out = line({QStringLiteral("id"), QStringLiteral("time"), QStringLiteral("amplifier"),
                        QStringLiteral("name"), QStringLiteral("cause")});
    for (const HistoryTrip& t : trips) {
        out += line({QString::number(t.id), historyTime(t.timeMs), QString::number(t.amplifier + 1),
                     t.name, t.cause});
    }
    return out.toUtf8();
}

bool saveCsv(const QString& path, const QByteArray& data, QString* error,
             const QString& historyPath) {
    const auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // The save replaces what is there: never a device, a FIFO or a directory by a regular file.
    if (const QFileInfo target(path); target.exists() && !target.isFile())
        return refuse(QStringLiteral("%1 is not a regular file; it is left as it is").arg(path));
    // Nor the record itself, or the journal that holds its latest part.
    if (!historyPath.isEmpty()) {
        for (const char* suffix : {"", "-wal", "-journal"}) {
            if (sameFile(path, historyPath + QLatin1String(suffix)))
                return refuse(
                    QStringLiteral("%1 is the history file %2 itself; choose another name")
                        .arg(path, historyPath + QLatin1String(suffix)));
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace tarvex
