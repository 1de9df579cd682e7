#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QRect>

#include <cstdint>

namespace tarvex {

class BarGauge;

// A gauge's scale: the designed caption text, whose spaces placed each number under its value
// in the designed face. Here each number is drawn centred under the bar position of the value it
// names, by the gauge's own layout rule, whatever the face; the text itself stays as designed.
class ScaleCaption : public QLabel {
    Q_OBJECT

public:
    struct Mark {
        QString text;
        std::int16_t value; // in the gauge's units
        QRect rect;         // where the number is drawn, in the caption's pixels
    };

    // Each number of `caption` names the gauge value number × `unit` (1000 for a scale in kW
    // under a bar in W). The gauge must be a sibling of the caption.
    ScaleCaption(const QString& caption, const BarGauge* gauge, double unit, QWidget* parent);

    // The numbers laid out for the current size and font. None is clipped: a number that would
    // run past the caption or out of the parent is moved back just enough to fit.
    QList<Mark> marks() const;
    // The caption less what lies on or past its parent's one-pixel frame: the numbers stay in
    // it, and so does the caption's filled box, which would otherwise cover the frame where the
    // designed caption runs past the panel's edge.
    QRect room() const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void fitMask();

    QPointer<const BarGauge> mGauge;
    double mUnit;
};

} // namespace tarvex
