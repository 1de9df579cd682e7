#pragma once

#include <QFont>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QLabel;
class QPainter;
class QWidget;

namespace tarvex {

// The parts of a panel that stay as they are while lines arrive: its background, its lines and
// its captions (headings, bar names, scales), drawn once into a picture that every repaint of
// the panel copies. Captions drawn there are hidden as widgets, so a change next to one never
// repaints it. The picture is drawn again when anything it depends on changes: the panel's
// size, device pixel ratio, palette or enabled state, or a caption's text, place, font, palette
// or enabled state.
//
// A caption is a label of the panel itself that nothing binds (its name does not begin with
// "U_"), that no up-down writes its value into, that has no tool tip (a hidden label shows
// none), and that no changing control lies under (the picture is beneath every control).
class StaticLayer {
public:
    // `paintLines` draws the panel's own lines; the panel's background is its palette's brush
    // for its background role (the panel fills its background).
    StaticLayer(QWidget* panel, std::function<void(QPainter&)> paintLines)
        : mPanel(panel), mPaintLines(std::move(paintLines)) {}

    // Off: the captions are widgets again and the panel draws its lines on every repaint.
    void setEnabled(bool enabled);
    bool enabled() const { return mEnabled; }
    // Picks the captions and hides them; the panel calls it once it is complete.
    void adopt();
    const QList<QPointer<QLabel>>& captions() const { return mCaptions; }

    // In the panel's paintEvent: copies the picture and returns true, or returns false when off
    // (the panel then draws its lines itself).
    bool paint(QPainter& painter);
    // Forgets the picture, for a change it cannot see (lines added).
    void invalidate() { mPicture = QPixmap(); }

private:
    struct CaptionLook {
        QString text;
        QRect geometry;
        QFont font;
        qint64 palette = 0;
        bool enabled = false;
        bool operator==(const CaptionLook&) const = default;
    };
    struct Look {
        QSize size;
        qreal dpr = 0;
        qint64 palette = 0;
        bool enabled = false;
        std::vector<CaptionLook> captions;
        bool operator==(const Look&) const = default;
    };

    Look look() const;
    void draw();
    void release();
    QList<QLabel*> pickCaptions() const;

    QWidget* mPanel;
    std::function<void(QPainter&)> mPaintLines;
    bool mEnabled = true;
    bool mAdopted = false;
    QList<QPointer<QLabel>> mCaptions;
    QPixmap mPicture;
    Look mLook;
};

} // namespace tarvex
