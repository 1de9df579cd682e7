#include "event_trail_view.h"

#include "core/guard.h"

#include "format_value.h"
#include "frm_event_trail.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <exception>

namespace tarvex {

namespace {

// The text box holds a line break as one character; lines start with it so that each one
// begins under the text already shown.
constexpr QChar kLineBreak = u'\n';

// Characters in the document, not counting the end-of-document marker.
int characterCount(const QTextDocument* doc) {
    return doc->characterCount() - 1;
}

} // namespace

EventTrailView::EventTrailView(QObject* parent) : QObject(parent) {}

EventTrailView::~EventTrailView() {
    detach();
    delete mWindow.data();
}

QString EventTrailView::Description() const {
    return QStringLiteral("Event Trail Viewer");
}

void EventTrailView::Initialize(const HubPtr& theHub, std::int16_t /*theIndex*/) {
    Terminate(); // a second Initialize starts afresh rather than leaking the first window

    mHub = theHub;
    if (theHub) {
        connect(theHub.get(), &Hub::NewItem, this, &EventTrailView::mHub_NewItem);
        connect(theHub.get(), &Hub::ItemChangedValue, this, &EventTrailView::mHub_ItemChangedValue);
    }
    mWindow = new frmEventTrail();
    mcboTrail = mWindow->cboEventTrail();
    mTxtTrail = mWindow->txtEventTrail();
    connect(mWindow.data(), &frmEventTrail::closed, this, &EventTrailView::mWindow_closed);
    mWindow->show();
    mcboTrail->setCurrentIndex(0);
}

void EventTrailView::Terminate() {
    detach();
    if (mWindow) {
        mWindow->disconnect(this);
        mWindow->hide();
        // Terminate may come from inside one of the window's own handlers (its close, a hub
        // event raised by a control): deleting it there would pull the stack from under it.
        mWindow->deleteLater();
    }
    mWindow = nullptr;
    mcboTrail = nullptr;
    mTxtTrail = nullptr;
}

void EventTrailView::detach() {
    if (auto hub = mHub.lock())
        hub->disconnect(this);
    mHub.reset();
}

QString EventTrailView::trailText() const {
    return mTxtTrail ? mTxtTrail->toPlainText() : QString();
}

void EventTrailView::mHub_NewItem(const ItemPtr& it) {
    if (!it || !mcboTrail)
        return;
    // A diagnostic view reports nothing; the next event is written as usual.
    guarded(lcUi(), "event trail new item", [&] {
        const QString name = it->Name();
        mcboTrail->addItem(name);
        if (mcboTrail->currentIndex() == 0 || mcboTrail->currentText() == name)
            AppendTrail(kLineBreak + QStringLiteral("New ") + name);
    });
}

void EventTrailView::mHub_ItemChangedValue(const ItemPtr& it) {
    if (!it || !mcboTrail)
        return;
    guarded(lcUi(), "event trail value", [&] {
        if (mcboTrail->currentIndex() == 0)
            AppendTrail(kLineBreak + FormatItem(*it));
        else if (mcboTrail->currentText() == it->Name())
            AppendTrail(kLineBreak + FormatValue(it->Value()));
    });
}

void EventTrailView::AppendTrail(const QString& text) {
    if (!mTxtTrail)
        return;
    QTextDocument* doc = mTxtTrail->document();
    int n = 0;
    guarded(lcUi(), "event trail append", [&] { n = characterCount(doc); });
    guarded(lcUi(), "event trail append", [&] {
        if (n >= kTrimAt) {
            QTextCursor head(doc);
            head.setPosition(kTrimChars, QTextCursor::KeepAnchor);
            head.removeSelectedText();
        }
    });
    guarded(lcUi(), "event trail append", [&] {
        QTextCursor caret(doc);
        caret.movePosition(QTextCursor::End); // position n, even when counting failed
        caret.insertText(text);
        mTxtTrail->setTextCursor(caret);
        mTxtTrail->ensureCursorVisible();
    });
}

void EventTrailView::mWindow_closed() {
    Terminate();
    emit windowClosed();
}

} // namespace tarvex
