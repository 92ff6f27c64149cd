#include "playback/tdragtrackbar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

TDragTrackBar::TDragTrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setMinimum(0);
    setTickPosition(QSlider::NoTicks);
    setSingleStep(1);
    setPageStep(2);
}

void TDragTrackBar::setSelection(int selStart, int selEnd)
{
    if (selStart == m_selStart && selEnd == m_selEnd)
        return;
    m_selStart = selStart;
    m_selEnd = selEnd;
    update();
}

int TDragTrackBar::xForValue(int value) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.sliderPosition = std::clamp(value, opt.minimum, opt.maximum);
    return handleRect(opt).center().x();
}

void TDragTrackBar::resizeEvent(QResizeEvent *event)
{
    QSlider::resizeEvent(event);
    Q_EMIT scaleChanged();
}

void TDragTrackBar::changeEvent(QEvent *event)
{
    QSlider::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        Q_EMIT scaleChanged();
}

QRect TDragTrackBar::handleRect(const QStyleOptionSlider &opt) const
{
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

int TDragTrackBar::valueAtX(const QStyleOptionSlider &opt, int x) const
{
    // The same mapping the slider uses while the handle is dragged.
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = handleRect(opt);
    const int first = groove.x();
    const int last = groove.right() - handle.width() + 1;
    const int handleX = x - (handle.center().x() - handle.left());
    return QStyle::sliderValueFromPosition(opt.minimum, opt.maximum, handleX - first, last - first,
                                           opt.upsideDown);
}

QRect TDragTrackBar::selectionRect(const QStyleOptionSlider &opt) const
{
    // From the handle's centre at one end to its centre at the other, so the
    // thumb sits on the edge of the stretch when it stands at a loop point.
    // Values past the range (an end nudged beyond the recording) stop at its end.
    auto centreAt = [&](int value) {
        QStyleOptionSlider at = opt;
        at.sliderPosition = std::clamp(value, opt.minimum, opt.maximum);
        return handleRect(at).center().x();
    };
    // By value: std::minmax of two temporaries would hand back dangling references.
    const int a = centreAt(m_selStart);
    const int b = centreAt(m_selEnd);
    const int left = std::min(a, b);
    const int right = std::max(a, b);

    // Some styles report the whole control's thickness as the groove; keep
    // the band to the width of a channel, inside the groove's border.
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const int thickness = std::min(groove.height() - 2, 6);
    const int top = groove.top() + groove.height() / 2 - thickness / 2;
    return QRect(left, top, right - left + 1, thickness);
}

void TDragTrackBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);

    // The groove without the fill some styles draw up to the handle: on this
    // bar the highlight means the loop region and nothing else.
    QStyleOptionSlider groove = opt;
    groove.subControls = QStyle::SC_SliderGroove;
    groove.sliderPosition = opt.minimum;
    groove.sliderValue = opt.minimum;
    style()->drawComplexControl(QStyle::CC_Slider, &groove, &painter, this);

    if (hasSelection())
        painter.fillRect(selectionRect(opt), opt.palette.highlight());

    opt.subControls = QStyle::SC_SliderHandle;
    if (tickPosition() != QSlider::NoTicks)
        opt.subControls |= QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}

void TDragTrackBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton
        && minimum() < maximum()) {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        QRect handle = handleRect(opt);
        const QPoint pos = event->position().toPoint();
        if (pos.x() < handle.left() || pos.x() > handle.right()) {
            setSliderPosition(valueAtX(opt, pos.x()));
            initStyleOption(&opt);
            handle = handleRect(opt);
        }
        // Hand the slider a press inside the handle, so that it drags the
        // handle from here wherever across the bar's height the click was.
        const QPoint inside(std::clamp(pos.x(), handle.left(), handle.right()),
                            std::clamp(pos.y(), handle.top(), handle.bottom()));
        const QPointF shift = inside - pos;
        QMouseEvent press(event->type(), QPointF(inside), event->scenePosition() + shift,
                          event->globalPosition() + shift, event->button(), event->buttons(),
                          event->modifiers(), event->pointingDevice());
        QSlider::mousePressEvent(&press);
    } else {
        QSlider::mousePressEvent(event);
    }
    // Every button is reported, also those the slider itself ignores.
    event->accept();
    Q_EMIT mousePressed(event->button());
}

void TDragTrackBar::mouseMoveEvent(QMouseEvent *event)
{
    QSlider::mouseMoveEvent(event);
    event->accept();
    Q_EMIT mouseMoved(event->buttons());
}

void TDragTrackBar::mouseReleaseEvent(QMouseEvent *event)
{
    QSlider::mouseReleaseEvent(event);
    event->accept();
    Q_EMIT mouseReleased(event->button());
}
