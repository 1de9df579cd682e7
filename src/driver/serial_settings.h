#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tarvex {

// A serial settings text such as "4800,n,8,1": baud rate, parity letter, data bits, stop bits.
struct SerialSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    std::int32_t baud = 4800;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Strict: exactly four comma-separated fields, spaces around each allowed. The baud rate is a
    // positive decimal integer that fits in 32 bits, parity one of n/e/o/m/s (any case), data
    // bits 5 to 8, stop bits "1", "1.5" or "2". Nullopt for anything else.
    static std::optional<SerialSettings> parse(QStringView text);

    // Canonical text, e.g. "4800,n,8,1" or "110,e,5,1.5".
    QString toString() const;

    QSerialPort::Parity qtParity() const;
    QSerialPort::DataBits qtDataBits() const;
    // Windows takes 1.5 stop bits as asked. Elsewhere QSerialPort silently sends one stop bit for
    // 1.5 (termios cannot say 1.5), which a receiver expecting 1.5 may reject; two is the nearest
    // setting that every receiver accepts, since a receiver only checks the first stop bit, and a
    // 16550-style UART turns it into 1.5 at 5 data bits anyway.
    QSerialPort::StopBits qtStopBits() const;

    bool operator==(const SerialSettings&) const = default;
};

} // namespace tarvex
