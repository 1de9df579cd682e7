#include "remote_wiring.h"

#include "user_sink.h"

#include "core/user_settings.h"
#include "history/history_recorder.h"
#include "remote/remote_panel.h"

#include <QCommandLineParser>
#include <QDir>
#include <QHostAddress>
#include <QSettings>

namespace tarvex {

namespace {

const QString kPort = QStringLiteral("remote-port");
const QString kBind = QStringLiteral("remote-bind");
const QString kCert = QStringLiteral("remote-cert");
const QString kKey = QStringLiteral("remote-key");

std::optional<quint16> portNumber(const QString& text) {
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    return ok && port <= 65535 ? std::optional(static_cast<quint16>(port)) : std::nullopt;
}

} // namespace

void RemoteWiring::addOptions(QCommandLineParser& parser) {
    parser.addOption({kPort,
                      QStringLiteral("Serve the remote panel (a web page) on TCP port N; 0 for "
                                     "off. Its users are in %1 beside server.dat: add one with "
                                     "--add-remote-user.")
                          .arg(QLatin1String(kUsersFile)),
                      QStringLiteral("N")});
    parser.addOption({kBind,
                      QStringLiteral("Listen for the remote panel on ADDRESS (default 127.0.0.1; "
                                     "any other needs --remote-cert, --remote-key and a user)."),
                      QStringLiteral("ADDRESS")});
    parser.addOption({kCert,
                      QStringLiteral("Serve the remote panel over HTTPS with this PEM "
                                     "certificate (and its chain)."),
                      QStringLiteral("FILE")});
    parser.addOption({kKey, QStringLiteral("The unencrypted PEM private key of --remote-cert."),
                      QStringLiteral("FILE")});
}

bool RemoteWiring::readOptions(const QCommandLineParser& parser,
                               std::optional<RemoteOptions>& options, QString* error) {
    const auto refuse = [error](const QString& why) {
        *error = why;
        return false;
    };
    QSettings settings = userSettings();
    settings.beginGroup(QStringLiteral("Remote"));
    RemoteOptions o;
    // A setting that is not a port leaves the panel off rather than stopping the program.
    o.port = portNumber(settings.value(QStringLiteral("Port")).toString()).value_or(0);
    o.bind = settings.value(QStringLiteral("Bind"), o.bind).toString().trimmed();
    o.certificateFile = settings.value(QStringLiteral("Cert")).toString();
    o.keyFile = settings.value(QStringLiteral("Key")).toString();
    if (parser.isSet(kPort)) {
        const auto port = portNumber(parser.value(kPort));
        if (!port)
            return refuse(
                QStringLiteral("--remote-port expects a TCP port number (0 for off), got \"%1\"")
                    .arg(parser.value(kPort)));
        o.port = *port;
    }
    if (parser.isSet(kBind)) {
        o.bind = parser.value(kBind).trimmed();
        if (QHostAddress(o.bind).isNull() && !o.loopbackOnly())
            return refuse(QStringLiteral("--remote-bind expects an IP address to listen on, "
                                         "got \"%1\"")
                              .arg(parser.value(kBind)));
    }
    if (parser.isSet(kCert))
        o.certificateFile = parser.value(kCert);
    if (parser.isSet(kKey))
        o.keyFile = parser.value(kKey);
    if (o.port == 0) {
        // Alone, these would do nothing at all: most likely the port was forgotten.
        for (const QString& name : {kBind, kCert, kKey}) {
            if (parser.isSet(name))
                return refuse(QStringLiteral("--%1 needs --remote-port").arg(name));
        }
        options.reset();
        return true;
    }
    if (o.certificateFile.isEmpty() != o.keyFile.isEmpty())
        return refuse(QStringLiteral("the remote panel needs both a certificate and its key "
                                     "(--remote-cert and --remote-key), or neither"));
    o.usersFile = QDir::current().absoluteFilePath(QLatin1String(kUsersFile));
    options = o;
    return true;
}

QString RemoteWiring::describe(const RemoteAuditEvent& event) {
    const QString who = event.user.isEmpty() ? tr("someone") : event.user;
    return tr("%1 from %2: %3").arg(who, event.address, event.text);
}

RemoteWiring::RemoteWiring(ServerObject& server, UserSink& sink,
                           const std::optional<RemoteOptions>& options, HistoryRecorder& recorder) {
    if (!options)
        return;
    auto panel = std::make_unique<RemotePanel>(server, *options);
    connect(panel.get(), &RemotePanel::audit, &recorder,
            [&recorder](const RemoteAuditEvent& event) {
                recorder.recordEvent(event.amplifierIndex, event.kind, describe(event));
            });
    QString why;
    if (!panel->listen(&why)) {
        mProblem = tr("The remote panel did not start: %1").arg(why);
        sink.problem(mProblem);
        return;
    }
    mPanel = std::move(panel);
}

RemoteWiring::~RemoteWiring() = default;

} // namespace tarvex
