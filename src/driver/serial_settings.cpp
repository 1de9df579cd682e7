#include "serial_settings.h"

#include <QList>

#include <limits>

namespace tarvex {

namespace {

// Decimal digits only: no sign, no spaces inside, no exponent.
std::optional<std::int64_t> parseDigits(QStringView field, std::int64_t max) {
    if (field.isEmpty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (QChar c : field) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > max) {
            return std::nullopt;
        }
    }
    return value;
}

std::optional<SerialSettings::Parity> parseParity(QStringView field) {
    if (field.size() != 1) {
        return std::nullopt;
    }
    switch (field.front().toLower().unicode()) {
    case u'n':
        return SerialSettings::Parity::None;
    case u'e':
        return SerialSettings::Parity::Even;
    case u'o':
        return SerialSettings::Parity::Odd;
    case u'm':
        return SerialSettings::Parity::Mark;
    case u's':
        return SerialSettings::Parity::Space;
    default:
        return std::nullopt;
    }
}

std::optional<SerialSettings::StopBits> parseStopBits(QStringView field) {
    if (field == u"1") {
        return SerialSettings::StopBits::One;
    }
    if (field == u"1.5") {
        return SerialSettings::StopBits::OneAndHalf;
    }
    if (field == u"2") {
        return SerialSettings::StopBits::Two;
    }
    return std::nullopt;
}

} // namespace

std::optional<SerialSettings> SerialSettings::parse(QStringView text) {
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4) {
        return std::nullopt;
    }
    const auto baud = parseDigits(fields[0].trimmed(), std::numeric_limits<std::int32_t>::max());
    const auto parity = parseParity(fields[1].trimmed());
    const auto dataBits = parseDigits(fields[2].trimmed(), 8);
    const auto stopBits = parseStopBits(fields[3].trimmed());
    if (!baud || *baud == 0 || !parity || !dataBits || *dataBits < 5 || !stopBits) {
        return std::nullopt;
    }
    SerialSettings s;
    s.baud = static_cast<std::int32_t>(*baud);
    s.parity = *parity;
    s.dataBits = static_cast<int>(*dataBits);
    s.stopBits = *stopBits;
    return s;
}

QString SerialSettings::toString() const {
    static constexpr char kParity[] = {'n', 'e', 'o', 'm', 's'};
    const char* stop = stopBits == StopBits::One ? "1" : stopBits == StopBits::Two ? "2" : "1.5";
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QChar::fromLatin1(kParity[static_cast<int>(parity)]))
        .arg(dataBits)
        .arg(QLatin1String(stop));
}

QSerialPort::Parity SerialSettings::qtParity() const {
    switch (parity) {
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    case Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::DataBits SerialSettings::qtDataBits() const {
    switch (dataBits) {
    case 5:
        return QSerialPort::Data5;
    case 6:
        return QSerialPort::Data6;
    case 7:
        return QSerialPort::Data7;
    default:
        return QSerialPort::Data8;
    }
}

QSerialPort::StopBits SerialSettings::qtStopBits() const {
    switch (stopBits) {
    case StopBits::Two:
        return QSerialPort::TwoStop;
    case StopBits::OneAndHalf:
#ifdef Q_OS_WIN
        return QSerialPort::OneAndHalfStop;
#else
        return QSerialPort::TwoStop;
#endif
    case StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

} // namespace tarvex
