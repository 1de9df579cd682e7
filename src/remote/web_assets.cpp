#include "web_assets.h"

#include <QFile>

namespace tarvex::web {

std::optional<Asset> asset(const QString& name) {
    static const struct {
        const char* name;
        const char* mimeType;
    } kAssets[] = {
        {"panel.html", "text/html; charset=utf-8"},
        {"login.html", "text/html; charset=utf-8"},
        {"panel.js", "text/javascript; charset=utf-8"},
        {"panel.css", "text/css; charset=utf-8"},
        {"favicon.svg", "image/svg+xml"},
    };
    for (const auto& a : kAssets) {
        if (name != QLatin1String(a.name))
            continue;
        QFile file(QStringLiteral(":/remote/web/") + name);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return Asset{a.mimeType, file.readAll()};
    }
    return std::nullopt;
}

} // namespace tarvex::web
