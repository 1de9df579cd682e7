#include "history_file.h"

#include <QFile>

#include <sys/stat.h>

namespace tarvex {

QString historyFileProblem(const QString& path) {
    struct stat st {};
    // Anything stat cannot see (absent, no permission) is SQLite's to report or to create.
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is a directory").arg(path);
    return QStringLiteral("%1 is not a regular file; it is left as it is").arg(path);
}

bool sameFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace tarvex
