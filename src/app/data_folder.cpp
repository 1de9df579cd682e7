#include "data_folder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

namespace tarvex {

void DataFolder::addOption(QCommandLineParser& parser) {
    parser.addOption({kOption, QStringLiteral("Keep server.dat, history.db and remote-users in the "
                                              "per-user data folder (as the desktop launcher does) "
                                              "instead of the working directory.")});
}

DataFolder DataFolder::forArguments(const QStringList& arguments) {
    const QString option = QStringLiteral("--") + kOption;
    for (const QString& arg : arguments.mid(1)) {
        if (arg == u"--")
            break;
        if (arg == option)
            return {perUserPath(), true};
    }
    return {QDir::current().absolutePath(), false};
}

QStringList DataFolder::withoutOption(const QStringList& arguments) {
    QStringList kept;
    bool ended = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        ended = ended || (i > 0 && arguments[i] == u"--");
        if (ended || i == 0 || arguments[i] != QStringLiteral("--") + kOption)
            kept << arguments[i];
    }
    return kept;
}

QString DataFolder::perUserPath() {
    // GenericDataLocation is $XDG_DATA_HOME, or ~/.local/share when that is unset.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).absoluteFilePath(QStringLiteral("Tarvex"));
}

QString DataFolder::file(const QString& name) const {
    return mPerUser ? QDir(mPath).absoluteFilePath(name) : name;
}

bool DataFolder::prepare(QString* why) const {
    if (QDir(mPath).exists() || QDir().mkpath(mPath))
        return true;
    if (why)
        *why = QStringLiteral("the data folder %1 could not be made").arg(mPath);
    return false;
}

} // namespace tarvex
