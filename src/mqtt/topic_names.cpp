#include "topic_names.h"

#include <QSet>

namespace tarvex {

QString TopicNames::level(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name.trimmed()) {
        const bool unsafe = c == u'+' || c == u'#' || c == u'/' || c.isSpace() ||
                            c.category() == QChar::Other_Control || c.isNull();
        out += unsafe ? u'_' : c;
    }
    while (out.startsWith(u'$'))
        out.remove(0, 1);
    return out;
}

QStringList TopicNames::levels(const QStringList& names) {
    QStringList out;
    QSet<QString> taken;
    for (int i = 0; i < names.size(); ++i) {
        const QString number = QString::number(i + 1);
        QString level = TopicNames::level(names[i]);
        if (level.isEmpty())
            level = QStringLiteral("amp") + number;
        // Topics compare exactly, but a dashboard's user reads "Tower" and "tower" as one.
        if (taken.contains(level.toCaseFolded()))
            level += u'_' + number;
        taken.insert(level.toCaseFolded());
        out << level;
    }
    return out;
}

QString TopicNames::identifier(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
        out += ok ? c : u'_';
    }
    return out;
}

} // namespace tarvex
