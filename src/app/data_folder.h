#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace tarvex {

// Where a run keeps server.dat and the files that live beside it (history.db, remote-users).
// A run from a terminal keeps them in the working directory, as it always has; a run from the
// desktop launcher, whose working directory is wherever the desktop chose, passes --user-data
// and keeps them in the user's own data folder, so every start finds the same list.
class DataFolder {
public:
    static inline const QString kOption = QStringLiteral("user-data");

    static void addOption(QCommandLineParser& parser);
    // The folder the arguments (program name first) ask for: the per-user one when they give
    // --user-data before any "--", else the working directory.
    static DataFolder forArguments(const QStringList& arguments);
    // The arguments without --user-data, for the commands' own parsers, which do not know it.
    static QStringList withoutOption(const QStringList& arguments);
    // $XDG_DATA_HOME/Tarvex (by default ~/.local/share/Tarvex), absolute.
    static QString perUserPath();

    bool perUser() const { return mPerUser; }
    // Absolute.
    const QString& path() const { return mPath; }
    // A file of the folder: by absolute path in the per-user folder; by its bare name in the
    // working directory, so that what a terminal run says of its files reads as it always has.
    QString file(const QString& name) const;
    // Makes the per-user folder on first use (the working directory is there already); false
    // with the reason when it cannot be made.
    bool prepare(QString* why) const;

private:
    DataFolder(QString path, bool perUser) : mPath(std::move(path)), mPerUser(perUser) {}

    QString mPath;
    bool mPerUser;
};

} // namespace tarvex
