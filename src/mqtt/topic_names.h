#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// The topic level each amplifier publishes under, from the names the user gave them.
class TopicNames {
public:
    // A name as one topic level: the wildcards '+' and '#', the separator '/', white space and
    // control characters become '_', and a leading '$' (the broker's own topics) goes; empty
    // when nothing is left.
    static QString level(const QString& name);
    // One level for each amplifier, in list order: an empty name becomes "amp<N>" (N counted
    // from 1, as the user counts them), and a level already taken gets "_<N>".
    static QStringList levels(const QStringList& names);
    // Letters, digits, '_' and '-' only, for Home Assistant's object identifiers.
    static QString identifier(const QString& text);
};

} // namespace tarvex
