#pragma once

#include <QImage>
#include <QWidget>

// The viewport: shows the last presented frame, scaled smoothly into the
// panel the same way ViewportToGame maps mouse points back. With NoRepaint
// the panel paints nothing of its own (no background, no face), so nothing
// but the frame ever covers the viewport.
// (Plain accessors rather than a Qt property: the build runs no moc.)
class TStubPanel : public QWidget {
public:
    explicit TStubPanel(QWidget* parent = nullptr);

    bool NoRepaint() const { return noRepaint_; }
    void SetNoRepaint(bool on);
    // Full screen keeps the 4:3 shape between black bars; a window stretches.
    void SetKeepAspect(bool on);
    bool KeepAspect() const { return keepAspect_; }
    // Shows `frame` (shared, not copied) at the next paint.
    void SetFrame(const QImage& frame);
    const QImage& Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
    bool noRepaint_ = false;
    bool keepAspect_ = false;
};
