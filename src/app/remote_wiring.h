#pragma once

#include "remote/remote_audit.h"
#include "remote/remote_options.h"

#include <QObject>

#include <memory>
#include <optional>

class QCommandLineParser;

namespace tarvex {

class HistoryRecorder;
class RemotePanel;
class ServerObject;
class UserSink;

// Puts the remote panel into a run: its command-line options over the "Remote" settings, the
// users file beside server.dat, and every remote user's doing in the history. A panel that
// cannot start says why through the sink and leaves the run to go on without it.
class RemoteWiring : public QObject {
    Q_OBJECT

public:
    // The users file, in the working directory beside server.dat.
    static constexpr const char* kUsersFile = "remote-users";

    static void addOptions(QCommandLineParser& parser);
    // The "Remote" settings with the command line over them: nothing in *options when the
    // panel is off (port 0 or none). False with *error when an option given is not valid.
    static bool readOptions(const QCommandLineParser& parser, std::optional<RemoteOptions>& options,
                            QString* error);
    // What the record and the log say of an event: "ann from 127.0.0.1: login (operate)".
    static QString describe(const RemoteAuditEvent& event);

    // Starts the panel when options holds any; the record gets its events.
    RemoteWiring(ServerObject& server, UserSink& sink, const std::optional<RemoteOptions>& options,
                 HistoryRecorder& recorder);
    ~RemoteWiring() override;

    // The panel listening; null when it is off or could not start.
    RemotePanel* panel() const { return mPanel.get(); }
    // Why the panel asked for did not start; empty when it runs or was not asked for.
    const QString& problem() const { return mProblem; }

private:
    std::unique_ptr<RemotePanel> mPanel;
    QString mProblem;
};

} // namespace tarvex
