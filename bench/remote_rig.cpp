#include "remote_rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <unistd.h>

namespace tarvex::bench {

namespace {

// What the simulator answers, so that the driver starts as with a real amplifier.
const std::map<std::string, std::string> kAnswers = {
    {"AC", "AMPLIFIER IS ON"},       {"STAT", "STATE = OPERATE"}, {"OPER ON", "STATE = OPERATE"},
    {"OPER OFF", "STATE = STANDBY"}, {"DM B79D", "B79D = 1E00"},  {"DM B799", "B799 = 0340"},
    {"DM B79B", "B79B = 0100"},      {"DM B791", "B791 = 1000"},  {"DM B7A1", "B7A1 = 0050"},
};

} // namespace

HandAmplifier::HandAmplifier() {
    mMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (mMaster < 0 || grantpt(mMaster) != 0 || unlockpt(mMaster) != 0 ||
        ptsname_r(mMaster, name, sizeof name) != 0)
        return;
    mSlave = QString::fromLocal8Bit(name);
    mReader = std::thread([this] { read(); });
}

HandAmplifier::~HandAmplifier() {
    stopMetering();
    mStop = true;
    if (mReader.joinable())
        mReader.join();
    if (mMaster >= 0)
        ::close(mMaster);
}

void HandAmplifier::write(const std::string& line) {
    const std::string bytes = line + "\r\n";
    std::lock_guard lock(mWriteLock);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(mMaster, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

void HandAmplifier::read() {
    std::string buffer;
    char chunk[512];
    while (!mStop) {
        pollfd p{mMaster, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = ::read(mMaster, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        const auto now = Clock::now();
        buffer.append(chunk, std::size_t(n));
        std::size_t end;
        while ((end = buffer.find('\r')) != std::string::npos) {
            const std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            ++mHeard;
            {
                std::lock_guard lock(mLock);
                if (mLines.size() < 100'000)
                    mLines.emplace_back(line, now);
            }
            if (const auto answer = kAnswers.find(line); answer != kAnswers.end())
                write(answer->second);
        }
    }
}

std::uint64_t HandAmplifier::serial() const {
    std::lock_guard lock(mLock);
    return mLines.size();
}

bool HandAmplifier::arrivedAfter(std::uint64_t since, const std::string& line,
                                 Clock::time_point* at) const {
    std::lock_guard lock(mLock);
    for (std::size_t i = since; i < mLines.size(); ++i) {
        if (mLines[i].first == line) {
            *at = mLines[i].second;
            return true;
        }
    }
    return false;
}

void HandAmplifier::startMetering(int baud) {
    mMeterStop = false;
    mMeter = std::thread([this, baud] {
        // "RM 65656\r\n": ten bytes of ten bits each.
        const auto every = std::chrono::microseconds(100'000'000LL / baud);
        auto next = Clock::now();
        for (std::uint64_t i = 0; !mMeterStop; ++i) {
            write(i % 2 ? "RM 65656" : "RM 56565");
            next += every;
            std::this_thread::sleep_until(next);
        }
    });
}

void HandAmplifier::stopMetering() {
    mMeterStop = true;
    if (mMeter.joinable())
        mMeter.join();
}

QByteArray FeedClient::logIn(quint16 port, const QString& user, const QString& password) {
    QNetworkAccessManager net;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/login").arg(port)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply* reply = net.post(
        request, QJsonDocument(QJsonObject{{"user", user}, {"password", password}}).toJson());
    runUntil([reply] { return reply->isFinished(); }, 10000);
    const QByteArray cookie = reply->rawHeader("Set-Cookie").split(';').value(0);
    reply->deleteLater();
    return reply->error() == QNetworkReply::NoError ? cookie : QByteArray();
}

FeedClient::FeedClient(quint16 port, const QByteArray& cookie)
    : mSocket(QStringLiteral("http://127.0.0.1:%1").arg(port)) {
    QObject::connect(&mSocket, &QWebSocket::textMessageReceived, [this](const QString& text) {
        const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
        if (m.value(u"type").toString() == u"hello")
            mHello = true;
        if (onMessage)
            onMessage(m);
    });
    QNetworkRequest request(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
    request.setRawHeader("Cookie", cookie);
    mSocket.open(request);
}

void FeedClient::send(const QJsonObject& request) {
    mSocket.sendTextMessage(
        QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
}

bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    QTimer tick;
    tick.start(1);
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto at = static_cast<std::size_t>(p * double(v.size() - 1) + 0.5);
    return v[std::min(at, v.size() - 1)];
}

} // namespace tarvex::bench
