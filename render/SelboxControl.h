#pragma once

// The box in which the reader picks one of several choices. This holds its
// look: the translucent box behind the column of choices, the margins and
// width the column is laid out in, the font and highlight colour of the
// texts and the two cursor pictures drawn beside the highlighted one.

#include "engine/Clock.h"
#include "render/FontUtils.h"
#include "render/GraphicControls.h"
#include "render/TextboxControl.h"

#include <QPoint>

class TSelectionBox : public TGraphicObject {
public:
    // Starts hidden.
    TSelectionBox(TFontManager& manager, const TClock& clock);

    // The look every reset restores.
    void ResetLook();

    void SetCenter(QPoint center);
    QPoint Center() const { return {centerX_, centerY_}; }
    void SetMargins(int left, int top, int right, int bottom);
    const TMargins& Margins() const { return margins_; }
    // The width the texts may use before margins and cursors.
    void SetWidth(int width);
    int Width() const { return width_; }
    void SetHighlightColor(TColorValue color);
    TColorValue HighlightColor() const { return highlightColor_; }
    void SetFont(const TFontInfo& font);
    const TFontInfo& Font() const { return font_; }

    void SetBoxColor(TColorValue color);
    void SetBoxAlpha(uint8_t alpha);
    void SetBoxFrameInset(int inset);
    // Raises ED3DError "LoadTexture(<file>) failed: <code>." on a bad file.
    void LoadBoxPicture(const QString& fileName);
    const TTransparentBox& Box() const { return box_; }

    // Drawn left and right of the highlighted choice; loading either one
    // changes the width left for the texts.
    TDxPicture& LeftCursor() { return leftCursor_; }
    TDxPicture& RightCursor() { return rightCursor_; }
    const TDxPicture& LeftCursor() const { return leftCursor_; }
    const TDxPicture& RightCursor() const { return rightCursor_; }

    // Whether the choices must be laid out again before they are drawn.
    bool LayoutDirty() const { return layoutDirty_; }

    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    bool Update(uint32_t now) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    void Invalidate();

    TFontManager& manager_;
    TTransparentBox box_;
    int centerX_ = 0;
    int centerY_ = 0;
    TMargins margins_;
    int width_ = 100;
    TColorValue highlightColor_ = 0x00FFFF;
    bool layoutDirty_ = true;
    TFontInfo font_;
    TDxPicture leftCursor_;
    TDxPicture rightCursor_;
};
