#include "transcript.h"

#include "sim/pty_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

#include <algorithm>
#include <cctype>

namespace tarvex::transcript {

namespace {

// Undoes \r \n \t \\ and \xHH; nullopt for any other escape.
std::optional<QByteArray> unescape(const QByteArray& text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
                return std::nullopt;
            out += static_cast<char>(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

void runEvents(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, std::max(1, ms));
    } while (t.elapsed() < ms);
}

} // namespace

std::optional<std::vector<Entry>> parse(const QByteArray& text, QString* error) {
    std::vector<Entry> entries;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const int lineNo = static_cast<int>(n + 1);
        auto fail = [&](const QString& why) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
            return std::nullopt;
        };
        Entry e;
        e.line = lineNo;
        if (line.startsWith('+')) {
            const qsizetype space = line.indexOf(' ');
            if (space < 0)
                return fail(QStringLiteral("a send entry needs \"+<ms> <text>\""));
            bool ok = false;
            e.delayMs = line.mid(1, space - 1).toInt(&ok);
            if (!ok || e.delayMs < 0)
                return fail(QStringLiteral("the delay is not a number of milliseconds"));
            const auto bytes = unescape(line.mid(space + 1));
            if (!bytes)
                return fail(QStringLiteral("unknown or incomplete escape"));
            if (bytes->isEmpty())
                return fail(QStringLiteral("a send entry sends nothing"));
            e.bytes = *bytes;
        } else if (line.startsWith("= ")) {
            e.kind = Entry::Kind::Check;
            const QByteArray rest = line.mid(2);
            const qsizetype space = rest.indexOf(' ');
            e.item = QString::fromUtf8(space < 0 ? rest : rest.left(space));
            const auto value = unescape(space < 0 ? QByteArray() : rest.mid(space + 1));
            if (e.item.isEmpty())
                return fail(QStringLiteral("a check needs \"= <item> <value>\""));
            if (!value)
                return fail(QStringLiteral("unknown or incomplete escape"));
            e.value = QString::fromUtf8(*value);
        } else {
            return fail(QStringLiteral("neither \"+<ms> <text>\" nor \"= <item> <value>\""));
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

std::optional<std::vector<Entry>> load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + QStringLiteral(": ") + f.errorString();
        return std::nullopt;
    }
    return parse(f.readAll(), error);
}

QStringList replay(const std::vector<Entry>& entries, sim::PtyPort& port, const Probe& probe,
                   const ReplayOptions& options) {
    QStringList failures;
    qint64 sent = probe.bytesDelivered();
    for (const Entry& e : entries) {
        if (e.kind == Entry::Kind::Send) {
            if (e.delayMs > 0)
                runEvents(std::min(e.delayMs, options.maxDelayMs));
            port.write(e.bytes);
            sent += e.bytes.size();
            continue;
        }
        QElapsedTimer t;
        t.start();
        while (probe.bytesDelivered() < sent && t.elapsed() < options.deliveryTimeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (const qint64 got = probe.bytesDelivered(); got != sent) {
            failures << QStringLiteral("line %1: the driver took %2 of the %3 bytes sent")
                            .arg(e.line)
                            .arg(got)
                            .arg(sent);
            break; // every later check would fail for the same reason
        }
        const QString actual = probe.itemText(e.item);
        if (actual != e.value) {
            failures << QStringLiteral("line %1: %2 reads \"%3\", recorded \"%4\"")
                            .arg(e.line)
                            .arg(e.item, actual, e.value);
        }
    }
    return failures;
}

} // namespace tarvex::transcript
