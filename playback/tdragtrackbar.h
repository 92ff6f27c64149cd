#pragma once

#include <QSlider>

class QMouseEvent;
class QPaintEvent;
class QStyleOptionSlider;

// The seek bar: a horizontal slider that shows the loop region as a
// highlighted stretch of its groove and reports the mouse, so that the owner
// can preview while the user drags and seek on release.
//
// The mouse signals are emitted after the slider has handled the event, so
// value() already holds the thumb's new place when a receiver reads it.
// A left click on the groove puts the thumb under the mouse and starts a drag
// from there, as users expect from a media seek bar.
class TDragTrackBar : public QSlider
{
    Q_OBJECT

public:
    explicit TDragTrackBar(QWidget *parent = nullptr);

    // The highlighted range in bar units; -1, -1 when there is none.
    int selStart() const { return m_selStart; }
    int selEnd() const { return m_selEnd; }
    void setSelection(int selStart, int selEnd);

    // The x of the handle's centre when it stands at the value: the bar's
    // time scale, which the waveform strip above it follows.
    int xForValue(int value) const;

Q_SIGNALS:
    // The time scale moved: the bar was resized or restyled.
    void scaleChanged();

    void mousePressed(Qt::MouseButton button);
    void mouseMoved(Qt::MouseButtons buttons);
    void mouseReleased(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool hasSelection() const { return m_selStart >= 0 && m_selEnd >= 0; }
    QRect handleRect(const QStyleOptionSlider &opt) const;
    // The value that puts the handle's centre at x.
    int valueAtX(const QStyleOptionSlider &opt, int x) const;
    QRect selectionRect(const QStyleOptionSlider &opt) const;

    int m_selStart = -1;
    int m_selEnd = -1;
};
