#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace tarvex::sim {

// The amplifier's end of a pseudo-terminal. A client (a QSerialPort) opens slavePath() as if
// it were the amplifier's serial port; what the client writes arrives through received(), and
// write() sends bytes back, optionally paced like a real line.
class PtyPort : public QObject {
    Q_OBJECT
public:
    // Pacing at whatever speed and stop bits the client has set on the line (re-read as it
    // changes), like a real port: replies arrive split as they would there.
    static constexpr int kLineSpeed = -1;

    struct Options {
        QString linkPath; // if set, a symlink to the slave device is made there
        // 0: as fast as possible; kLineSpeed: the client's line settings; else ten bits per
        // byte at this rate
        int baud = 0;
        bool keepSlaveOpen = true; // hold a slave descriptor so the master never sees hangup
    };

    static constexpr qsizetype kMaxPending = 64 * 1024;
    static constexpr int kReopenPollMs = 100;

    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool open(const Options& options);
    // Destroys the pair: the device node and the symlink vanish, a client reads end of file.
    void close();

    bool isOpen() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }
    QString linkPath() const { return linkPath_; }
    QString errorString() const { return error_; }

    void write(const QByteArray& bytes);
    qsizetype pendingBytes() const { return pending_.size(); }
    // The pace right now, in bytes per second; 0 when unpaced.
    double bytesPerSecond() const;
    qint64 droppedBytes() const { return dropped_; }

    // No client holds the slave (only possible without keepSlaveOpen): reading is paused and
    // resumed by polling, since the master would otherwise report hangup continuously.
    bool isPaused() const { return paused_; }
    // How often the read handler has run: lets tests prove the port does not spin.
    qint64 readWakeups() const { return readWakeups_; }

signals:
    void received(const QByteArray& bytes);

private:
    bool fail(const QString& what);
    void onReadable();
    void drainInput();
    void pause();
    void tryResume();
    void flush(qsizetype budget);
    void onPaceTick();
    void removeLink();

    int master_ = -1;
    int keepAlive_ = -1;
    QString slavePath_;
    QString linkPath_;
    QString error_;
    int baud_ = 0;

    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer reopenTimer_;
    QTimer paceTimer_;
    QElapsedTimer paceClock_;
    double paceBudget_ = 0;

    QByteArray pending_;
    qint64 dropped_ = 0;
    bool paused_ = false;
    qint64 readWakeups_ = 0;
};

} // namespace tarvex::sim
