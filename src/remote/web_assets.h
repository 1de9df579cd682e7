#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarvex::web {

// The page's files, compiled into the program from src/remote/web/.
struct Asset {
    QByteArray mimeType;
    QByteArray data;
};

// "panel.js", "panel.css", "favicon.svg", "panel.html", "login.html"; nullopt for anything
// else.
std::optional<Asset> asset(const QString& name);

} // namespace tarvex::web
