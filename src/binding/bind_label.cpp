#include "bind_label.h"

#include "colors.h"

#include <algorithm>

namespace tarvex {

namespace {

// The text colour an entry's last character selects, or none to leave the colour as it is.
std::optional<std::uint32_t> letterColor(QChar letter) {
    switch (letter.unicode()) {
    case u'R':
        return 0x000000FFu;
    case u'Y':
        return 0x0000FFFFu;
    case u'G':
        return 0x0000FF00u;
    case u'B':
        return 0x00000000u;
    default:
        return std::nullopt;
    }
}

// Control characters have no glyph and would be drawn as boxes: they show as \xHH instead. The
// item keeps the raw text, for the event trail and the inspector.
QString visibleText(const QString& text) {
    const auto isControl = [](QChar c) { return c.category() == QChar::Other_Control; };
    if (std::none_of(text.begin(), text.end(), isControl))
        return text;
    QString shown;
    for (const QChar c : text) {
        if (isControl(c))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

} // namespace

void BindLabel::Bind(const ItemPtr& it, QLabel* ct) {
    UnBind();
    theItem = it;
    theCtrl = ct;
    // What an amplifier sends is text, never markup for the label to render.
    if (ct)
        ct->setTextFormat(Qt::PlainText);
    const QString tag = ct ? ct->property(kTagProperty).toString() : QString();
    if (!tag.isEmpty())
        mStates = tag.split(u' ', Qt::KeepEmptyParts);
    if (theItem)
        track(connect(theItem.get(), &Item::ValueChange, this, &BindLabel::theItem_ValueChange));
    UpdateControl();
}

void BindLabel::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
    mStates.reset();
}

void BindLabel::theItem_ValueChange() {
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindLabel::UpdateControl() {
    if (!theCtrl || !theItem)
        return;
    const bool stateMode = mStates && !mStates->isEmpty() && !mStates->front().isEmpty();
    if (stateMode)
        showState();
    else
        showText();
    theCtrl->update();
}

void BindLabel::showText() {
    const Variant v = theItem->Value();
    if (!enableForValue(theCtrl))
        return;
    guarded(lcBinding(), "binder", [&] { theCtrl->setText(visibleText(v.toString())); });
}

void BindLabel::showState() {
    theCtrl->setEnabled(true);
    const Variant v = theItem->Value();
    int index = 0;
    if (!v.isEmpty() && !v.isNull()) {
        index = 2; // text that is no boolean at all also counts as "true"
        guarded(lcBinding(), "binder", [&] { index = v.toBoolean() ? 2 : 1; });
    }
    if (index >= mStates->size())
        return;
    const QString& entry = mStates->at(index);
    const qsizetype comma = entry.indexOf(u',');
    if (comma >= 0)
        theCtrl->setText(entry.left(comma));
    if (entry.isEmpty())
        return;
    if (const auto color = letterColor(entry.back())) {
        QPalette palette = theCtrl->palette();
        palette.setColor(QPalette::WindowText, colorFromDesigned(*color));
        theCtrl->setPalette(palette);
    }
}

} // namespace tarvex
