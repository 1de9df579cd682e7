#pragma once

#include "password_hash.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarvex {

// Who may use the remote panel: names, roles and password hashes, kept in a file that only its
// owner can read. The program's user commands and the panel's login both use this class.
//
// The file is UTF-8 text: a first line "tarvex-users 1", then one line per user,
// "name:role:iterations:salt:hash" with salt and hash in base64. Any damage refuses the whole
// file: a users file that is not what it should be lets nobody in.
class RemoteUsers {
public:
    enum class Role { View, Operate };

    struct User {
        QString name;
        Role role = Role::View;
        PasswordHash password;
    };

    static constexpr int kMaxNameLength = 32;
    static constexpr int kMinPasswordLength = 8;
    static constexpr int kMaxPasswordLength = 1024; // bounds the work one login attempt costs
    static constexpr int kMaxUsers = 256;
    static constexpr qint64 kMaxFileSize = 256 * 1024;

    // A missing file is an empty list. A file that is not a regular file, is a link, belongs to
    // another user, can be read or written by anyone but its owner, or is damaged, gives
    // nullopt with the reason in *error.
    static std::optional<RemoteUsers> load(const QString& path, QString* error);
    // Atomically, readable and writable by the owner only (0600). False with *error on failure;
    // the previous file is then untouched.
    bool save(const QString& path, QString* error) const;

    // Empty when the name can be used, else why not.
    static QString checkName(const QString& name);
    static QString roleName(Role role); // "operate", "view"
    static std::optional<Role> parseRole(const QString& text);

    // False with *error when the name or password cannot be used or the name is taken.
    bool add(const QString& name, Role role, const QString& password, QString* error,
             int iterations = PasswordHash::kIterations);
    bool remove(const QString& name);
    const QList<User>& list() const { return mUsers; }
    bool isEmpty() const { return mUsers.isEmpty(); }
    const User* find(const QString& name) const;
    // The user's role when name and password match. Takes as long for an unknown name as for a
    // known one, so the time taken does not tell which names exist.
    std::optional<Role> verify(const QString& name, const QString& password) const;

private:
    QList<User> mUsers;
};

} // namespace tarvex
