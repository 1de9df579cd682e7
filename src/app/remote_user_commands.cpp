#include "remote_user_commands.h"

#include "core/printable.h"
#include "remote/remote_users.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace tarvex {

namespace {

const QString kAdd = QStringLiteral("add-remote-user");
const QString kRole = QStringLiteral("role");
const QString kRemove = QStringLiteral("remove-remote-user");
const QString kList = QStringLiteral("list-remote-users");

QList<QCommandLineOption> commandOptions() {
    return {
        {kAdd,
         QStringLiteral("Add a user of the remote panel, with --role; the password is read from "
                        "standard input (asked twice at a terminal), and exit."),
         QStringLiteral("NAME")},
        {kRole, QStringLiteral("What the user added may do: operate, or view (watch only)."),
         QStringLiteral("ROLE")},
        {kRemove, QStringLiteral("Remove a user of the remote panel and exit."),
         QStringLiteral("NAME")},
        {kList, QStringLiteral("Print the remote panel's users and their roles and exit.")},
    };
}

class Command {
public:
    Command(const QString& path, const PasswordInput& input, QTextStream& out, QTextStream& err)
        : mPath(path), mInput(input), mOut(out), mErr(err) {}

    int add(const QString& name, const QString& roleText);
    int remove(const QString& name);
    int list();

private:
    bool load(RemoteUsers& users);
    int save(const RemoteUsers& users);
    std::optional<QString> password(const QString& name);
    int fail(const QString& message, int status) {
        mErr << "tarvex: " << printable(message) << Qt::endl;
        return status;
    }

    const QString& mPath;
    const PasswordInput& mInput;
    QTextStream& mOut;
    QTextStream& mErr;
};

bool Command::load(RemoteUsers& users) {
    QString problem;
    auto loaded = RemoteUsers::load(mPath, &problem);
    if (!loaded) {
        fail(problem, RemoteUserCommands::kFailed);
        return false;
    }
    users = std::move(*loaded);
    return true;
}

int Command::save(const RemoteUsers& users) {
    QString problem;
    if (!users.save(mPath, &problem))
        return fail(QStringLiteral("%1 could not be saved: %2").arg(mPath, problem),
                    RemoteUserCommands::kFailed);
    return RemoteUserCommands::kOk;
}

std::optional<QString> Command::password(const QString& name) {
    const auto first = mInput.readLine(QStringLiteral("Password for %1: ").arg(name));
    if (!first) {
        fail(QStringLiteral("no password given on standard input"), RemoteUserCommands::kInvalid);
        return std::nullopt;
    }
    if (first->isEmpty()) {
        fail(QStringLiteral("the password is empty"), RemoteUserCommands::kInvalid);
        return std::nullopt;
    }
    // Typed blind: a slip would lock the user out, so it is typed again. A pipe says it once.
    if (mInput.terminal && mInput.readLine(QStringLiteral("The same again: ")) != first) {
        fail(QStringLiteral("the passwords do not match"), RemoteUserCommands::kInvalid);
        return std::nullopt;
    }
    return first;
}

int Command::add(const QString& name, const QString& roleText) {
    if (roleText.isEmpty())
        return fail(QStringLiteral("--add-remote-user needs --role operate or --role view"),
                    RemoteUserCommands::kInvalid);
    const auto role = RemoteUsers::parseRole(roleText);
    if (!role)
        return fail(QStringLiteral("--role is operate or view, not \"%1\"").arg(roleText),
                    RemoteUserCommands::kInvalid);
    // Refused before the password is asked for.
    if (const QString problem = RemoteUsers::checkName(name); !problem.isEmpty())
        return fail(QStringLiteral("\"%1\": %2").arg(name, problem), RemoteUserCommands::kInvalid);
    RemoteUsers users;
    if (!load(users))
        return RemoteUserCommands::kFailed;
    if (users.find(name))
        return fail(QStringLiteral("there is already a remote user %1").arg(name),
                    RemoteUserCommands::kInvalid);
    const auto typed = password(name);
    if (!typed)
        return RemoteUserCommands::kInvalid;
    QString problem;
    if (!users.add(name, *role, *typed, &problem))
        return fail(problem, RemoteUserCommands::kInvalid);
    if (const int status = save(users))
        return status;
    mOut << "added " << printable(name) << " (" << RemoteUsers::roleName(*role) << ")" << Qt::endl;
    return RemoteUserCommands::kOk;
}

int Command::remove(const QString& name) {
    RemoteUsers users;
    if (!load(users))
        return RemoteUserCommands::kFailed;
    if (!users.remove(name))
        return fail(QStringLiteral("there is no remote user %1").arg(name),
                    RemoteUserCommands::kInvalid);
    if (const int status = save(users))
        return status;
    mOut << "removed " << printable(name) << Qt::endl;
    return RemoteUserCommands::kOk;
}

int Command::list() {
    RemoteUsers users;
    if (!load(users))
        return RemoteUserCommands::kFailed;
    if (users.isEmpty())
        mErr << "tarvex: " << printable(mPath) << " holds no user" << Qt::endl;
    for (const RemoteUsers::User& u : users.list())
        mOut << printable(u.name) << ": " << RemoteUsers::roleName(u.role) << '\n';
    mOut.flush();
    return RemoteUserCommands::kOk;
}

} // namespace

bool RemoteUserCommands::requested(const QStringList& arguments) {
    // --role alone names no command, but would do nothing in a run: the command refuses it.
    return command_line::requests(arguments, {kAdd, kRole, kRemove, kList});
}

void RemoteUserCommands::addOptions(QCommandLineParser& parser) {
    parser.addOptions(commandOptions());
}

void RemoteUserCommands::addCommands(command_line::CommandTable& table) {
    for (const QString& command : {kAdd, kRemove, kList})
        table.insert(command, {command});
    table.insert(kRole, {kAdd});
}

int RemoteUserCommands::run(const QStringList& arguments, const QString& usersFile) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, usersFile, PasswordInput::standardInput(), out, err);
}

int RemoteUserCommands::run(const QStringList& arguments, const QString& usersFile,
                            const PasswordInput& input, QTextStream& out, QTextStream& err) {
    const auto invalid = [&err](const QString& message) {
        err << "tarvex: " << printable(message) << Qt::endl;
        return kInvalid;
    };
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments))
        return invalid(parser.errorText());
    if (const QString stray = command_line::strayArgument(parser); !stray.isEmpty())
        return invalid(stray);
    command_line::CommandTable table;
    addCommands(table);
    if (const QString combined = command_line::combinedCommands(parser.optionNames(), table);
        !combined.isEmpty())
        return invalid(combined);
    for (const QString& name : {kAdd, kRole, kRemove})
        if (parser.values(name).size() > 1)
            return invalid(QStringLiteral("give one --%1 at a time").arg(name));

    Command command(usersFile, input, out, err);
    if (parser.isSet(kAdd))
        return command.add(parser.value(kAdd), parser.value(kRole));
    if (parser.isSet(kRemove))
        return command.remove(parser.value(kRemove));
    if (parser.isSet(kList))
        return command.list();
    return invalid(QStringLiteral("--role goes with --add-remote-user"));
}

} // namespace tarvex
