#include "remote_request.h"

#include "core/server_object.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace tarvex {

namespace {

// JSON numbers are doubles: a whole number is one that converts without a fraction.
std::optional<int> wholeNumber(const QJsonValue& v, int min, int max) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || std::trunc(d) != d || d < min || d > max)
        return std::nullopt;
    return static_cast<int>(d);
}

bool validId(const QJsonValue& id) {
    if (id.isUndefined() || id.isNull())
        return true;
    if (id.isString())
        return id.toString().size() <= RemoteRequest::kMaxIdLength;
    constexpr double kSafe = 9007199254740991.0; // what a page's numbers hold exactly
    return id.isDouble() && std::trunc(id.toDouble()) == id.toDouble() &&
           std::fabs(id.toDouble()) <= kSafe;
}

} // namespace

std::optional<RemoteRequest> RemoteRequest::parse(const QString& text, QString* reason,
                                                  QJsonValue* id) {
    const auto fail = [&](const QString& why) {
        *reason = why;
        return std::nullopt;
    };
    *id = QJsonValue::Null;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return fail(QStringLiteral("not a JSON object"));
    const QJsonObject o = doc.object();
    if (!validId(o.value(u"id")))
        return fail(QStringLiteral("id must be a whole number or a text of at most %1 characters")
                        .arg(kMaxIdLength));
    RemoteRequest r;
    r.id = o.value(u"id").isUndefined() ? QJsonValue(QJsonValue::Null) : o.value(u"id");
    *id = r.id;
    const QString type = o.value(u"type").toString();
    if (type == u"take") {
        r.type = Type::Take;
        return r;
    }
    if (type == u"release") {
        r.type = Type::Release;
        return r;
    }
    if (type == u"allStandby") {
        r.type = Type::AllStandby;
        return r;
    }
    if (type != u"command" && type != u"acknowledge")
        return fail(QStringLiteral("unknown message type"));
    const auto amplifier = wholeNumber(o.value(u"amplifier"), 1, ServerObject::kMaxModules);
    if (!amplifier)
        return fail(QStringLiteral("amplifier must be a number from 1 to %1")
                        .arg(ServerObject::kMaxModules));
    r.amplifier = *amplifier;
    if (type == u"acknowledge") {
        r.type = Type::Acknowledge;
        return r;
    }
    const ControlEntry* entry = findControl(o.value(u"control").toString());
    if (!entry)
        return fail(QStringLiteral("unknown control"));
    r.control = entry->control;
    const QJsonValue value = o.value(u"value");
    switch (entry->kind) {
    case ControlEntry::Kind::Switch:
        if (!value.isBool())
            return fail(QStringLiteral("%1 takes true or false").arg(QLatin1String(entry->name)));
        r.value = value.toBool() ? 1 : 0;
        break;
    case ControlEntry::Kind::Number: {
        const auto n = wholeNumber(value, entry->min, entry->max);
        if (!n)
            return fail(QStringLiteral("%1 takes a whole number from %2 to %3")
                            .arg(QLatin1String(entry->name))
                            .arg(entry->min)
                            .arg(entry->max));
        r.value = *n;
        break;
    }
    case ControlEntry::Kind::Key:
        if (!value.isUndefined() && value != QJsonValue(true))
            return fail(QStringLiteral("%1 takes no value").arg(QLatin1String(entry->name)));
        r.value = 1;
        break;
    }
    return r;
}

} // namespace tarvex
