#include "app/ScriptView.h"

#include "app/ScriptHighlighter.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int MarkerWidth = 16;
constexpr int TextMargin = 4;

QColor SpanColor(TScriptSpanKind kind)
{
    switch (kind) {
    case TScriptSpanKind::Command: return QColor(0x00, 0x30, 0xB0);
    case TScriptSpanKind::Label: return QColor(0x90, 0x00, 0x90);
    case TScriptSpanKind::Comment: return QColor(0x60, 0x80, 0x60);
    case TScriptSpanKind::TextBlockMarker: return QColor(0xB0, 0x40, 0x00);
    case TScriptSpanKind::CharacterName: return QColor(0x00, 0x80, 0x80);
    }
    return Qt::black;
}

QFont ScriptFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

} // namespace

TScriptView::TScriptView(TSource source, QWidget* parent) : QAbstractScrollArea(parent), source_(std::move(source))
{
    setObjectName(QStringLiteral("mmScript"));
    setFont(ScriptFont());
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void TScriptView::Refresh()
{
    rowCount_ = source_.Count();
    inTextBlock_.clear();
    widestRow_ = 0;
    caretLine_ = std::clamp<qsizetype>(caretLine_, 0, std::max<qsizetype>(rowCount_ - 1, 0));
    if (currentLine_ >= rowCount_)
        currentLine_ = -1;
    UpdateScrollRanges();
    viewport()->update();
}

void TScriptView::ShowCurrentLine(qsizetype line)
{
    currentLine_ = line >= 0 && line < rowCount_ ? line : -1;
    if (currentLine_ < 0) {
        viewport()->update();
        return;
    }
    // A line that comes into view from elsewhere is shown with the lines
    // around it, not at the pane's edge.
    QScrollBar& bar = *verticalScrollBar();
    if (currentLine_ < bar.value() || currentLine_ >= bar.value() + VisibleRows())
        bar.setValue(int(currentLine_ - VisibleRows() / 3));
    SetCaretLine(currentLine_);
}

void TScriptView::SetCaretLine(qsizetype line)
{
    if (rowCount_ == 0)
        return;
    caretLine_ = std::clamp<qsizetype>(line, 0, rowCount_ - 1);
    ScrollToRow(caretLine_);
    viewport()->update();
}

int TScriptView::LineHeight() const
{
    return fontMetrics().height();
}

int TScriptView::GutterWidth() const
{
    const int digits = int(QString::number(std::max<qsizetype>(rowCount_ - 1, 0)).size());
    return MarkerWidth + fontMetrics().horizontalAdvance(QString(digits, u'9')) + TextMargin;
}

int TScriptView::VisibleRows() const
{
    return std::max(1, viewport()->height() / LineHeight());
}

qsizetype TScriptView::RowAt(int y) const
{
    return verticalScrollBar()->value() + y / LineHeight();
}

// The scroll bars count rows, not pixels: a million rows of pixels would
// overflow the bar's range.
void TScriptView::UpdateScrollRanges()
{
    verticalScrollBar()->setRange(0, int(std::max<qsizetype>(rowCount_ - VisibleRows(), 0)));
    verticalScrollBar()->setPageStep(VisibleRows());
    verticalScrollBar()->setSingleStep(1);
    const int textWidth = viewport()->width() - GutterWidth();
    horizontalScrollBar()->setRange(0, std::max(widestRow_ + TextMargin - textWidth, 0));
    horizontalScrollBar()->setPageStep(std::max(textWidth, 1));
}

void TScriptView::ScrollToRow(qsizetype row)
{
    QScrollBar& bar = *verticalScrollBar();
    if (row < bar.value())
        bar.setValue(int(row));
    else if (row >= bar.value() + VisibleRows())
        bar.setValue(int(row - VisibleRows() + 1));
}

bool TScriptView::TextBlockBefore(qsizetype row)
{
    if (inTextBlock_.empty())
        inTextBlock_.push_back(false);
    while (qsizetype(inTextBlock_.size()) <= row) {
        const qsizetype previous = qsizetype(inTextBlock_.size()) - 1;
        inTextBlock_.push_back(TextBlockAfter(source_.Line(previous), inTextBlock_.back()));
    }
    return inTextBlock_[size_t(row)];
}

void TScriptView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const qsizetype first = verticalScrollBar()->value();
    const int height = LineHeight();
    const int widestBefore = widestRow_;
    for (qsizetype row = first; row < rowCount_ && (row - first) * height < viewport()->height(); ++row)
        PaintRow(painter, row, int(row - first) * height);
    if (widestRow_ != widestBefore)
        UpdateScrollRanges();
}

void TScriptView::PaintRow(QPainter& painter, qsizetype row, int y)
{
    const int gutter = GutterWidth();
    const int height = LineHeight();
    const QRect textArea(gutter, y, viewport()->width() - gutter, height);
    if (row == currentLine_)
        painter.fillRect(textArea, QColor(0xFF, 0xF0, 0x90));
    else if (source_.HasBreakpoint(row))
        painter.fillRect(textArea, QColor(0xFF, 0xD8, 0xD8));
    if (row == caretLine_ && hasFocus()) {
        painter.setPen(QColor(0xA0, 0xA0, 0xA0));
        painter.drawRect(textArea.adjusted(0, 0, -1, -1));
    }

    const QString line = source_.Line(row);
    const std::vector<TScriptSpan> spans = HighlightScriptLine(line, TextBlockBefore(row));
    const QFontMetrics& metrics = fontMetrics();
    const int baseline = y + metrics.ascent();
    painter.save();
    painter.setClipRect(textArea);
    int x = gutter + TextMargin - horizontalScrollBar()->value();
    qsizetype at = 0;
    auto drawPiece = [&](qsizetype end, const QColor& color) {
        if (end <= at)
            return;
        const QString piece = line.mid(at, end - at);
        painter.setPen(color);
        painter.drawText(x, baseline, piece);
        x += metrics.horizontalAdvance(piece);
        at = end;
    };
    for (const TScriptSpan& span : spans) {
        drawPiece(span.Start, palette().color(QPalette::Text));
        drawPiece(span.Start + span.Length, SpanColor(span.Kind));
    }
    drawPiece(line.size(), palette().color(QPalette::Text));
    painter.restore();
    widestRow_ = std::max(widestRow_, x + horizontalScrollBar()->value() - gutter);
    PaintGutter(painter, row, y);
}

void TScriptView::PaintGutter(QPainter& painter, qsizetype row, int y)
{
    const int gutter = GutterWidth();
    const int height = LineHeight();
    painter.fillRect(QRect(0, y, gutter, height), QColor(0xEE, 0xEE, 0xEE));
    painter.setPen(QColor(0x70, 0x70, 0x70));
    painter.drawText(QRect(MarkerWidth, y, gutter - MarkerWidth - TextMargin, height), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(row));
    const int size = std::min(height, MarkerWidth) - 4;
    const QRect marker(2, y + (height - size) / 2, size, size);
    painter.setRenderHint(QPainter::Antialiasing);
    if (source_.HasBreakpoint(row)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xD0, 0x20, 0x20));
        painter.drawEllipse(marker);
    }
    if (row == currentLine_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xE0, 0xA0, 0x00));
        const QPolygon arrow({marker.topLeft(), QPoint(marker.right(), marker.center().y()), marker.bottomLeft()});
        painter.drawPolygon(arrow);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void TScriptView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void TScriptView::mousePressEvent(QMouseEvent* event)
{
    const qsizetype row = RowAt(int(event->position().y()));
    if (row < 0 || row >= rowCount_)
        return;
    if (event->position().x() < GutterWidth() && event->button() == Qt::LeftButton) {
        if (OnGutterClicked)
            OnGutterClicked(row);
        viewport()->update();
        return;
    }
    SetCaretLine(row);
}

// The caret moves as in a read-only text box; other keys are not the
// pane's and go on to the window.
void TScriptView::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    const qsizetype page = VisibleRows();
    switch (event->key()) {
    case Qt::Key_Up: SetCaretLine(caretLine_ - 1); break;
    case Qt::Key_Down: SetCaretLine(caretLine_ + 1); break;
    case Qt::Key_PageUp: SetCaretLine(caretLine_ - page); break;
    case Qt::Key_PageDown: SetCaretLine(caretLine_ + page); break;
    case Qt::Key_Home: SetCaretLine(0); break;
    case Qt::Key_End: SetCaretLine(rowCount_ - 1); break;
    default: event->ignore(); return;
    }
}

void TScriptView::contextMenuEvent(QContextMenuEvent* event)
{
    if (popup_)
        popup_->exec(event->globalPos());
}
