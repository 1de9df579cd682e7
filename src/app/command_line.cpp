#include "command_line.h"

#include <QCommandLineParser>

#include <algorithm>

namespace tarvex::command_line {

QStringList arguments(int argc, char* argv[]) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

bool asksForHelpOrVersion(const QString& argument) {
    // As QCommandLineParser's addHelpOption and addVersionOption spell them; "-?" is theirs
    // on Windows only.
    static const QStringList kSpellings = {
#ifdef Q_OS_WIN
        QStringLiteral("-?"),
#endif
        QStringLiteral("-h"), QStringLiteral("--help"),   QStringLiteral("--help-all"),
        QStringLiteral("-v"), QStringLiteral("--version")};
    return kSpellings.contains(argument);
}

bool requests(const QStringList& arguments, const QStringList& optionNames) {
    bool named = false;
    for (const QString& arg : arguments.mid(1)) {
        if (arg == u"--")
            break;
        if (asksForHelpOrVersion(arg))
            return false;
        for (const QString& name : optionNames) {
            const QString option = QStringLiteral("--") + name;
            named = named || arg == option || arg.startsWith(option + u'=');
        }
    }
    return named;
}

QString strayArgument(const QCommandLineParser& parser) {
    const QStringList stray = parser.positionalArguments();
    if (stray.isEmpty())
        return {};
    return QStringLiteral("unexpected argument \"%1\"").arg(stray.constFirst());
}

QString combinedCommands(const QStringList& given, const CommandTable& table) {
    const QStringList window{kWindow};
    const auto commandsOf = [&](qsizetype i) { return table.value(given[i], window); };
    QStringList common; // the commands every option so far may be given to
    for (qsizetype i = 0; i < given.size(); ++i) {
        const QStringList mine = commandsOf(i);
        QStringList left;
        for (const QString& command : i == 0 ? mine : common)
            if (mine.contains(command))
                left << command;
        if (left.isEmpty()) {
            // Name an earlier option this one can never go with, if there is one.
            qsizetype other = 0;
            while (other < i && std::any_of(mine.begin(), mine.end(), [&](const QString& c) {
                       return commandsOf(other).contains(c);
                   }))
                ++other;
            return QStringLiteral("--%1 and --%2 cannot be combined")
                .arg(given[other < i ? other : 0], given[i]);
        }
        common = left;
    }
    return {};
}

} // namespace tarvex::command_line
