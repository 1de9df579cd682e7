#include "command_line.h"

#include <QCommandLineParser>

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

} // namespace tarvex::command_line
