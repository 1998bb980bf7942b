#include "render/widgets/StubPanel.h"

#include "render/RenderDevice.h"

#include <QPainter>
#include <QPaintEvent>

TStubPanel::TStubPanel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void TStubPanel::SetNoRepaint(bool on)
{
    noRepaint_ = on;
    // The frame covers the whole panel, so Qt need not erase behind it.
    setAttribute(Qt::WA_OpaquePaintEvent, on);
    setAttribute(Qt::WA_NoSystemBackground, on);
}

void TStubPanel::SetKeepAspect(bool on)
{
    if (keepAspect_ == on)
        return;
    keepAspect_ = on;
    update();
}

void TStubPanel::SetFrame(const QImage& frame)
{
    frame_ = frame;
    update();
}

void TStubPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (frame_.isNull()) {
        // Before the first frame: black like the game screen, unless the
        // panel is an ordinary one that paints its own face.
        if (noRepaint_)
            painter.fillRect(event->rect(), Qt::black);
        else
            QWidget::paintEvent(event);
        return;
    }
    const QRect target = ViewportTargetRect(size(), keepAspect_);
    if (target != rect()) {
        const QRegion bars = QRegion(rect()).subtracted(QRegion(target));
        for (const QRect& bar : bars)
            painter.fillRect(bar, Qt::black);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The frame is opaque: copying it is much cheaper than blending it.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target, frame_);
}
