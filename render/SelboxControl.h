#pragma once

// The box in which the reader picks one of several choices: the texts laid
// out as a column centred on a point, drawn in a translucent box with the
// highlighted one in its own colour and two optional cursor pictures beside
// it. Keys and mouse are turned into calls by the driver; the box only
// answers where a point falls.

#include "engine/Clock.h"
#include "render/FontUtils.h"
#include "render/GraphicControls.h"
#include "render/TextboxControl.h"

#include <QPoint>
#include <QStringList>

#include <memory>
#include <vector>

class TSelectionBox : public TGraphicObject {
public:
    // Starts hidden.
    TSelectionBox(TFontManager& manager, const TClock& clock);

    // The look every reset restores.
    void ResetLook();

    // ---- the choices
    void AddItem(const QString& text);
    // No choices and none highlighted.
    void ClearItems();
    const QStringList& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // -1 for none.
    int Selected() const { return selected_; }
    bool HasSelection() const { return selected_ >= 0 && selected_ < Count(); }
    void Select(int index);
    // Both wrap around; from no highlight Previous takes the last choice and
    // Next the first.
    void SelectPrevious();
    void SelectNext();
    // The choice under a point of the game screen, or -1 (outside the box,
    // or in its margins between and around the texts).
    int HitTest(QPoint point);

    // ---- the look
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

    // ---- layout, in game-screen units; empty while the layout is stale
    bool LayoutDirty() const { return layoutDirty_; }
    const std::vector<TRect>& ItemRects() const { return itemRects_; }
    const TRect& BoxRect() const { return boxRect_; }
    // Lays the choices out now if they need it. Raises ED3DError
    // "Font.DrawText failed." when a text cannot be measured.
    void UpdateLayout();

    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    void SetVisible(bool visible) override;
    bool Update(uint32_t now) override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    void Invalidate();
    TDxFont& FontObject();
    int AvailableWidth() const;
    void DrawCursors(TDxSprite& sprite, const TRect& item);

    TFontManager& manager_;
    QStringList items_;
    std::vector<TRect> itemRects_;
    int selected_ = -1;
    TTransparentBox box_;
    TRect boxRect_;
    int centerX_ = 0;
    int centerY_ = 0;
    TMargins margins_;
    int width_ = 100;
    TColorValue highlightColor_ = 0x00FFFF;
    bool layoutDirty_ = true;
    bool selectionChanged_ = false;
    TFontInfo font_;
    std::shared_ptr<TDxFont> fontObject_;
    TDxPicture leftCursor_;
    TDxPicture rightCursor_;
};
