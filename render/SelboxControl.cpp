#include "render/SelboxControl.h"

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
    layoutDirty_ = true;
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

// The cursors animate whether or not the box asks for a repaint itself.
bool TSelectionBox::Update(uint32_t now)
{
    leftCursor_.Update(now);
    rightCursor_.Update(now);
    return layoutDirty_;
}

void TSelectionBox::DeviceLost()
{
    box_.DeviceLost();
    leftCursor_.DeviceLost();
    rightCursor_.DeviceLost();
}

void TSelectionBox::DeviceReset()
{
    box_.DeviceReset();
    leftCursor_.DeviceReset();
    rightCursor_.DeviceReset();
}
