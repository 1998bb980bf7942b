#include "render/SelboxControl.h"

#include "render/DirectXUtils.h"

#include <algorithm>

namespace {

// Measured as one or more lines (explicit line breaks), never wrapped.
constexpr uint32_t MeasureFormat = DrawTextFormat::CalcRect;
constexpr uint32_t DrawFormat = DrawTextFormat::Center;

// An empty choice still takes one line's height.
const QString EmptyItemProbe = QStringLiteral("T");

int CursorWidth(const TDxPicture& cursor)
{
    return cursor.IsEmpty() ? 0 : cursor.FrameWidth();
}

} // namespace

TSelectionBox::TSelectionBox(TFontManager& manager, const TClock& clock)
    : manager_(manager), box_(800, 200, 3), leftCursor_(clock), rightCursor_(clock)
{
    leftCursor_.SetOnLoad([this](TDxPicture&) { Invalidate(); });
    rightCursor_.SetOnLoad([this](TDxPicture&) { Invalidate(); });
    // Nobody listens yet, so hiding it notifies nobody.
    SetVisible(false);
}

void TSelectionBox::ResetLook()
{
    SetFont(DefaultTextFont());
    SetBoxColor(0x808080);
    SetBoxAlpha(200);
    SetBoxFrameInset(3);
    SetMargins(40, 20, 40, 20);
    SetWidth(1024);
    SetHighlightColor(0x00FFFF);
    leftCursor_.Clear();
    rightCursor_.Clear();
}

void TSelectionBox::Invalidate()
{
    itemRects_.clear();
    layoutDirty_ = true;
}

// ---------------------------------------------------------------- choices

void TSelectionBox::AddItem(const QString& text)
{
    items_.append(text);
    Invalidate();
}

void TSelectionBox::ClearItems()
{
    items_.clear();
    selected_ = -1;
    Invalidate();
}

void TSelectionBox::Select(int index)
{
    if (index == selected_)
        return;
    selected_ = index;
    selectionChanged_ = true;
}

void TSelectionBox::SelectPrevious()
{
    if (items_.isEmpty())
        return;  // nothing to highlight: no index may point past the list
    Select(selected_ <= 0 ? Count() - 1 : selected_ - 1);
}

void TSelectionBox::SelectNext()
{
    if (items_.isEmpty())
        return;
    Select(selected_ < Count() - 1 ? selected_ + 1 : 0);
}

// A hit test needs the layout, which otherwise only a drawn frame makes:
// a run that draws no frames (headless) must still find the choices.
int TSelectionBox::HitTest(QPoint point)
{
    if (Device() && (layoutDirty_ || itemRects_.size() < size_t(items_.size())))
        UpdateLayout();
    if (itemRects_.empty())
        return -1;
    const int x = point.x(), y = point.y();
    if (x < boxRect_.left || x >= boxRect_.right || y < boxRect_.top || y >= boxRect_.bottom)
        return -1;
    for (size_t i = 0; i < itemRects_.size(); ++i) {
        const TRect& r = itemRects_[i];
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

// ---------------------------------------------------------------- layout

TDxFont& TSelectionBox::FontObject()
{
    if (!fontObject_)
        fontObject_ = FetchFont(manager_, font_);
    return *fontObject_;
}

int TSelectionBox::AvailableWidth() const
{
    const int available = width_ - margins_.left - margins_.right - CursorWidth(leftCursor_) - CursorWidth(rightCursor_);
    return std::max(available, 0);
}

void TSelectionBox::UpdateLayout()
{
    if (!layoutDirty_ && itemRects_.size() >= size_t(items_.size()))
        return;
    TDxFont& font = FontObject();
    const int available = AvailableWidth();
    std::vector<TRect> sizes;
    sizes.reserve(size_t(items_.size()));
    int totalHeight = 0, maxWidth = 0;
    for (const QString& item : items_) {
        TRect measured{0, 0, available, 0};
        if (font.DrawText(nullptr, item.isEmpty() ? EmptyItemProbe : item, measured, MeasureFormat, 0) == 0)
            RaiseD3DError(QStringLiteral("Font.DrawText"));
        measured.right = std::min(measured.right, measured.left + available);
        totalHeight += measured.Height();
        maxWidth = std::max(maxWidth, measured.Width());
        sizes.push_back(measured);
    }
    const int left = centerX_ - maxWidth / 2;
    int top = centerY_ - totalHeight / 2;
    itemRects_.clear();
    for (const TRect& size : sizes) {
        const int itemLeft = left + (maxWidth - size.Width()) / 2;
        itemRects_.push_back({itemLeft, top, itemLeft + size.Width(), top + size.Height()});
        top += size.Height();
    }
    boxRect_ = {left - margins_.left, centerY_ - totalHeight / 2 - margins_.top, left + maxWidth + margins_.right,
                top + margins_.bottom};
    box_.SetSize(boxRect_.Width(), boxRect_.Height());
    layoutDirty_ = false;
}

void TSelectionBox::SetCenter(QPoint center)
{
    centerX_ = center.x();
    centerY_ = center.y();
    Invalidate();
}

void TSelectionBox::SetMargins(int left, int top, int right, int bottom)
{
    margins_ = {left, top, right, bottom};
    Invalidate();
}

void TSelectionBox::SetWidth(int width)
{
    width_ = width;
    Invalidate();
}

void TSelectionBox::SetHighlightColor(TColorValue color)
{
    highlightColor_ = color;
    Invalidate();
}

void TSelectionBox::SetFont(const TFontInfo& font)
{
    if (TFontManager::FontInfoDiffers(font_, font))
        fontObject_.reset();
    font_ = font;
    Invalidate();
}

void TSelectionBox::SetBoxColor(TColorValue color)
{
    box_.SetColor(color);
    Invalidate();
}

void TSelectionBox::SetBoxAlpha(uint8_t alpha)
{
    box_.SetAlpha(alpha);
    Invalidate();
}

void TSelectionBox::SetBoxFrameInset(int inset)
{
    box_.SetFrameInset(inset);
    Invalidate();
}

void TSelectionBox::LoadBoxPicture(const QString& fileName)
{
    box_.LoadPicture(fileName);
    Invalidate();
}

void TSelectionBox::SetDevice(std::shared_ptr<TDxDevice> device)
{
    TGraphicObject::SetDevice(device);
    box_.SetDevice(device);
    leftCursor_.SetDevice(device);
    rightCursor_.SetDevice(std::move(device));
}

void TSelectionBox::SetScale(double x, double y)
{
    TGraphicObject::SetScale(x, y);
    box_.SetScale(x, y);
    leftCursor_.SetScale(x, y);
    rightCursor_.SetScale(x, y);
}

// Hiding the box must repaint too, or the last menu would stay on screen.
void TSelectionBox::SetVisible(bool visible)
{
    TGraphicObject::SetVisible(visible);
    Invalidate();
}

// The cursors animate whether or not the box asks for a repaint itself.
bool TSelectionBox::Update(uint32_t now)
{
    const bool left = leftCursor_.Update(now);
    const bool right = rightCursor_.Update(now);
    const bool cursorMoved = HasSelection() && (left || right);
    return selectionChanged_ || layoutDirty_ || VisibilityChanged() || cursorMoved;
}

void TSelectionBox::Draw(TDxSprite& sprite)
{
    ClearVisibilityChanged();
    if (!Visible())
        return;
    UpdateLayout();
    box_.DrawAt(sprite, boxRect_.left, boxRect_.top);
    TDxFont& font = FontObject();
    for (int i = 0; i < Count(); ++i) {
        if (items_[i].isEmpty())
            continue;  // nothing to draw, and a font reports an empty text as a failure
        TRect rect = ScaleRect(Scale(), itemRects_[size_t(i)]);
        const uint32_t color = ColorToD3D(i == selected_ ? highlightColor_ : font_.color);
        if (font.DrawText(&sprite, items_[i], rect, DrawFormat, color) == 0)
            RaiseD3DError(QStringLiteral("Font.DrawTextW"));
    }
    if (HasSelection())
        DrawCursors(sprite, itemRects_[size_t(selected_)]);
    selectionChanged_ = false;
}

// Vertically centred on the choice, two pixels lower.
void TSelectionBox::DrawCursors(TDxSprite& sprite, const TRect& item)
{
    auto top = [&item](const TDxPicture& cursor) {
        return item.top - (cursor.FrameHeight() - item.Height()) / 2 + 2;
    };
    if (!leftCursor_.IsEmpty())
        leftCursor_.DrawAt(sprite, item.left - leftCursor_.FrameWidth(), top(leftCursor_));
    if (!rightCursor_.IsEmpty())
        rightCursor_.DrawAt(sprite, item.right, top(rightCursor_));
}

void TSelectionBox::DeviceLost()
{
    box_.DeviceLost();
    leftCursor_.DeviceLost();
    rightCursor_.DeviceLost();
    fontObject_.reset();
}

void TSelectionBox::DeviceReset()
{
    box_.DeviceReset();
    leftCursor_.DeviceReset();
    rightCursor_.DeviceReset();
}
