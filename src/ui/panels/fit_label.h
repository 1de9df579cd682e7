#pragma once

#include <QLabel>

namespace tarvex {

// A one-line label that never clips its text: what does not fit is elided at the right, and the
// whole text then becomes the label's tool tip (replacing a designed one while it is cut).
class FitLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The width the text may take: the contents less the indent a framed label keeps.
    int textRoom() const;
    // The text as drawn: the whole text when it fits, otherwise elided.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int indentPixels() const;
};

} // namespace tarvex
