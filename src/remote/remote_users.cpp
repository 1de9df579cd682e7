#include "remote_users.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tarvex {

namespace {

constexpr QLatin1StringView kHeader("tarvex-users 1");
constexpr int kMaxIterations = 10'000'000;
constexpr auto kOthersMayTouch = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                 QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

QString lineProblem(int line, const QString& what) {
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

std::optional<RemoteUsers::User> parseLine(const QString& text, QString* why) {
    const QStringList parts = text.split(u':');
    if (parts.size() != 5) {
        *why = QStringLiteral("expected name:role:iterations:salt:hash");
        return std::nullopt;
    }
    RemoteUsers::User user;
    user.name = parts[0];
    if (const QString problem = RemoteUsers::checkName(user.name); !problem.isEmpty()) {
        *why = problem;
        return std::nullopt;
    }
    const auto role = RemoteUsers::parseRole(parts[1]);
    if (!role) {
        *why = QStringLiteral("unknown role \"%1\"").arg(parts[1]);
        return std::nullopt;
    }
    user.role = *role;
    bool ok = false;
    user.password.iterations = parts[2].toInt(&ok);
    if (!ok || user.password.iterations < PasswordHash::kMinIterations ||
        user.password.iterations > kMaxIterations) {
        *why = QStringLiteral("iterations must be %1 to %2")
                   .arg(PasswordHash::kMinIterations)
                   .arg(kMaxIterations);
        return std::nullopt;
    }
    const auto decode = [](const QString& b64) {
        return QByteArray::fromBase64Encoding(b64.toLatin1(),
                                              QByteArray::AbortOnBase64DecodingErrors);
    };
    const auto salt = decode(parts[3]);
    const auto hash = decode(parts[4]);
    if (!salt || (*salt).size() < 8 || !hash || (*hash).size() != PasswordHash::kHashBytes) {
        *why = QStringLiteral("salt or hash is not valid base64 of the right length");
        return std::nullopt;
    }
    user.password.salt = *salt;
    user.password.hash = *hash;
    return user;
}

} // namespace

QString RemoteUsers::checkName(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("a user name cannot be empty");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("a user name has at most %1 characters").arg(kMaxNameLength);
    if (name.trimmed() != name)
        return QStringLiteral("a user name cannot begin or end with a space");
    for (const QChar c : name) {
        if (c == u':')
            return QStringLiteral("a user name cannot contain ':'");
        const auto category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph ||
            c.isSurrogate() || c.isNonCharacter())
            return QStringLiteral("a user name cannot contain control characters");
    }
    return {};
}

QString RemoteUsers::roleName(Role role) {
    return role == Role::Operate ? QStringLiteral("operate") : QStringLiteral("view");
}

std::optional<RemoteUsers::Role> RemoteUsers::parseRole(const QString& text) {
    if (text == u"operate")
        return Role::Operate;
    if (text == u"view")
        return Role::View;
    return std::nullopt;
}

std::optional<RemoteUsers> RemoteUsers::load(const QString& path, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("The users file %1 %2").arg(path, why);
        return std::nullopt;
    };
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return RemoteUsers();
    if (info.isSymLink())
        return fail(QStringLiteral("is a symbolic link; it must be a regular file"));
    if (!info.isFile())
        return fail(QStringLiteral("is not a regular file"));
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::geteuid())
        return fail(QStringLiteral("belongs to another user"));
#endif
    if (info.permissions() & kOthersMayTouch)
        return fail(QStringLiteral("can be read or changed by others than its owner; "
                                   "allow its owner only (chmod 600)"));
    if (info.size() > kMaxFileSize)
        return fail(QStringLiteral("is larger than %1 bytes").arg(kMaxFileSize));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    const QStringList lines = QString::fromUtf8(file.read(kMaxFileSize)).split(u'\n');
    if (lines.value(0) != kHeader)
        return fail(QStringLiteral("does not begin with \"%1\"").arg(kHeader));
    RemoteUsers users;
    for (int i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        QString why;
        auto user = parseLine(lines[i], &why);
        if (!user)
            return fail(QStringLiteral("is damaged: ") + lineProblem(i + 1, why));
        if (users.find(user->name))
            return fail(QStringLiteral("is damaged: ") +
                        lineProblem(i + 1, QStringLiteral("%1 is listed twice").arg(user->name)));
        if (users.mUsers.size() >= kMaxUsers)
            return fail(QStringLiteral("lists more than %1 users").arg(kMaxUsers));
        users.mUsers.append(*user);
    }
    return users;
}

bool RemoteUsers::save(const QString& path, QString* error) const {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("The users file %1 could not be written: %2").arg(path, why);
        return false;
    };
    if (QFileInfo(path).isSymLink())
        return fail(QStringLiteral("it is a symbolic link"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // Before anything is in it: the hashes are never readable by others, not even for a moment.
    if (!file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return fail(QStringLiteral("its permissions could not be set"));
    QByteArray text = QByteArray(kHeader.data(), kHeader.size()) + '\n';
    for (const User& u : mUsers) {
        text += u.name.toUtf8() + ':' + roleName(u.role).toLatin1() + ':' +
                QByteArray::number(u.password.iterations) + ':' + u.password.salt.toBase64() +
                ':' + u.password.hash.toBase64() + '\n';
    }
    if (file.write(text) != text.size() || !file.commit())
        return fail(file.errorString());
    return true;
}

bool RemoteUsers::add(const QString& name, Role role, const QString& password, QString* error,
                      int iterations) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (const QString problem = checkName(name); !problem.isEmpty())
        return fail(problem);
    if (find(name))
        return fail(QStringLiteral("there is already a user %1").arg(name));
    if (mUsers.size() >= kMaxUsers)
        return fail(QStringLiteral("there are %1 users already").arg(kMaxUsers));
    if (password.size() < kMinPasswordLength)
        return fail(QStringLiteral("a password has at least %1 characters").arg(kMinPasswordLength));
    if (password.size() > kMaxPasswordLength)
        return fail(QStringLiteral("a password has at most %1 characters").arg(kMaxPasswordLength));
    if (iterations < PasswordHash::kMinIterations)
        return fail(QStringLiteral("too few iterations"));
    mUsers.append(User{name, role, PasswordHash::make(password, iterations)});
    return true;
}

bool RemoteUsers::remove(const QString& name) {
    return mUsers.removeIf([&](const User& u) { return u.name == name; }) > 0;
}

const RemoteUsers::User* RemoteUsers::find(const QString& name) const {
    for (const User& u : mUsers) {
        if (u.name == name)
            return &u;
    }
    return nullptr;
}

std::optional<RemoteUsers::Role> RemoteUsers::verify(const QString& name,
                                                     const QString& password) const {
    if (password.size() > kMaxPasswordLength)
        return std::nullopt;
    const User* user = find(name);
    if (!user) {
        // The same work as for a real user, so an unknown name answers no sooner.
        PasswordHash::derive(password, QByteArray(PasswordHash::kSaltBytes, '\0'),
                             PasswordHash::kIterations);
        return std::nullopt;
    }
    if (!user->password.matches(password))
        return std::nullopt;
    return user->role;
}

} // namespace tarvex
