#include "render/TextboxControl.h"

#include "render/DirectXUtils.h"

#include <algorithm>

namespace {

int FontPoints(int size)
{
    return std::clamp(size, MinFontPoints, MaxFontPoints);
}

constexpr uint32_t MeasureFormat = DrawTextFormat::CalcRect | DrawTextFormat::SingleLine;
constexpr uint32_t DrawFormat = DrawTextFormat::SingleLine;

// Measures (with CalcRect) or draws one line; a call that reports no height
// failed, and a paint must not go on as if it had worked.
int DrawTextLine(TDxFont& font, TDxSprite* sprite, const QString& text, TRect& rect, uint32_t format,
                 uint32_t color)
{
    const int height = font.DrawText(sprite, text, rect, format, color);
    if (height == 0)
        RaiseD3DError(QStringLiteral("Font.DrawTextW"));
    return height;
}

int MeasureWidth(TDxFont& font, const QString& text)
{
    TRect rect;
    DrawTextLine(font, nullptr, text, rect, MeasureFormat, 0);
    return rect.Width();
}

} // namespace

std::shared_ptr<TDxFont> FetchFont(TFontManager& manager, const TFontInfo& info)
{
    return manager.GetFont(info.name, FontPoints(info.size), info.style);
}

TFontInfo DefaultTextFont()
{
    return TFontManager::MakeFontInfo(QStringLiteral("Lucida Sans Unicode"), 16, 0, 0xFFFFFF);
}

// ------------------------------------------------------------ scroller

TTextScroller::TTextScroller(const TClock& clock) : clock_(clock), lastTick_(clock.TickCount()) {}

void TTextScroller::SetChunks(const TTextBlock& block)
{
    chunks_ = block;
    runs_.clear();  // measured at the first paint: a skipped text costs nothing
    total_ = 0;
    for (const TStringChunk& chunk : chunks_)
        total_ += int32_t(chunk.Text.size());
    Restart();
}

void TTextScroller::Restart()
{
    position_ = 0;
    accumulated_ = 0;
    lastTick_ = clock_.TickCount();
    if (EffectiveSpeed() <= 0)
        position_ = total_ + 1;
    Changed();
}

int32_t TTextScroller::EffectiveSpeed() const
{
    const int32_t speed = std::max(speed_, 0);
    return readerDelay_ ? std::max(readerDelay_(speed), 0) : speed;
}

void TTextScroller::SetPosition(int32_t position)
{
    position_ = position;
    Changed();
}

bool TTextScroller::Update(uint32_t /*elapsed*/)
{
    const uint32_t now = clock_.TickCount();
    accumulated_ += now - lastTick_;
    lastTick_ = now;
    speed_ = std::max(speed_, 0);
    if (!IsTyping())
        return IsChanged();
    const int32_t speed = EffectiveSpeed();
    // A speed of 0 set while typing means "everything at once", as it does
    // for a new text; dividing by it is not an option.
    if (speed == 0) {
        position_ = total_ + 1;
        accumulated_ = 0;
        return true;
    }
    if (uint32_t(speed) >= accumulated_)
        return IsChanged();
    const uint32_t steps = accumulated_ / uint32_t(speed);
    position_ = int32_t(std::min<int64_t>(int64_t(position_) + steps, total_));
    accumulated_ -= steps * uint32_t(speed);  // the remainder carries over
    return true;
}

TTextScroller::TRunLayout& TTextScroller::RunLayout(int run)
{
    if (runs_.size() != size_t(chunks_.size()))
        runs_.assign(size_t(chunks_.size()), TRunLayout{});
    TRunLayout& layout = runs_[size_t(run)];
    if (layout.measured)
        return layout;
    const TStringChunk& chunk = chunks_[run];
    layout.font = FetchFont(*manager_, chunk.Font);
    const QString& text = chunk.Text;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u' ') {
            ++i;
            continue;
        }
        qsizetype end = text.indexOf(u' ', i);
        if (end < 0)
            end = text.size();
        TRect rect;
        layout.height = DrawTextLine(*layout.font, nullptr, text.mid(i, end - i), rect, MeasureFormat, 0);
        layout.words.push_back({int(i), int(end), rect.Width()});
        i = end;
    }
    layout.measured = true;
    return layout;
}

// The layout of one paint. Words are measured once per block (RunLayout);
// what a paint computes here from those widths is exactly what measuring
// every word again would give.
class TTextScroller::TLayout {
public:
    TLayout(TTextScroller& owner, TDxSprite& sprite, const TRect& rect)
        : owner_(owner), sprite_(sprite), rect_(rect), x_(rect.left), y_(rect.top) {}

    void Run()
    {
        for (int run = 0; run < owner_.chunks_.size() && consumed_ <= owner_.position_ && !full_; ++run)
            LayRun(run);
    }
    bool Finished() const { return result_; }
    TTextEnd End() const { return {x_, y_, lineHeight_}; }

private:
    void LayRun(int run)
    {
        const TStringChunk& chunk = owner_.chunks_[run];
        TRunLayout& layout = owner_.RunLayout(run);
        const int points = FontPoints(chunk.Font.size);
        run_ = {&chunk, &layout, ColorToD3D(chunk.Font.color), points / 2, points / 4};
        lineStart_ = -1;
        LayWords();
        DrawRunLines();
        if (!full_ && consumed_ <= owner_.position_ && chunk.LineBreak)
            NewLine();
    }

    void LayWords()
    {
        const QString& text = run_.chunk->Text;
        const int32_t position = owner_.position_;
        qsizetype i = 0;
        for (const TWord& word : run_.layout->words) {
            for (; i < word.start && consumed_ <= position; ++i, ++consumed_)
                pendingSpace_ = true;
            if (consumed_ > position)
                break;
            qsizetype visibleEnd = word.start;
            for (; visibleEnd < word.end && consumed_ <= position; ++visibleEnd)
                ++consumed_;
            // Never half a character: the second unit of a pair comes along.
            if (visibleEnd < word.end && text[visibleEnd - 1].isHighSurrogate() && text[visibleEnd].isLowSurrogate()) {
                ++visibleEnd;
                ++consumed_;
            }
            if (!LayWord(word, visibleEnd))
                return;
            i = word.end;
        }
        // Trailing spaces count too; a run is done when its text or the
        // revealed part ends.
        for (; i < text.size() && consumed_ <= position; ++i, ++consumed_)
            pendingSpace_ = true;
        result_ = consumed_ <= position;
    }

    // False once the area is full.
    bool LayWord(const TWord& word, qsizetype visibleEnd)
    {
        for (;;) {
            const int gap = pendingSpace_ ? run_.halfSize : 0;
            measuredTop_ = y_;
            measuredBottom_ = y_ + run_.layout->height;
            const int measuredRight = x_ + word.width + gap;
            if (measuredBottom_ > rect_.bottom) {
                full_ = true;
                result_ = true;
                return false;
            }
            if (measuredRight > rect_.right && !atLineStart_) {
                Wrap();
                continue;
            }
            DrawWord(word, visibleEnd, gap, measuredRight);
            return true;
        }
    }

    void Wrap()
    {
        DrawRunLines();
        x_ = rect_.left;
        y_ += lineHeight_;
        lineStart_ = rect_.left;
        atLineStart_ = true;
        pendingSpace_ = false;
        lineHeight_ = 0;
    }

    void DrawWord(const TWord& word, qsizetype visibleEnd, int gap, int measuredRight)
    {
        const QString visible = run_.chunk->Text.mid(word.start, visibleEnd - word.start);
        TRect box{x_ + gap, measuredTop_, std::min(measuredRight, rect_.right) + run_.quarterSize, measuredBottom_};
        DrawTextLine(*run_.layout->font, &sprite_, visible, box, DrawFormat, run_.color);
        if (lineStart_ < 0)
            lineStart_ = box.left;
        lineHeight_ = std::max(lineHeight_, run_.layout->height);
        x_ = visibleEnd == word.end ? measuredRight : box.left + MeasureWidth(*run_.layout->font, visible);
        atLineStart_ = false;
        pendingSpace_ = false;
    }

    // Underline and strikeout of the run's text on the current line; text
    // that starts at the very left edge has them too.
    void DrawRunLines()
    {
        if (lineStart_ < 0)
            return;
        const uint8_t style = run_.chunk->Font.style;
        const int height = run_.layout->height;
        if (style & FontStyle::Strikeout)
            owner_.DrawLine(sprite_, lineStart_, run_.color, measuredTop_ + height * 3 / 5, x_);
        if (style & FontStyle::Underline)
            owner_.DrawLine(sprite_, lineStart_, run_.color, measuredBottom_ - 1, x_);
    }

    void NewLine()
    {
        x_ = rect_.left;
        y_ += lineHeight_;
        atLineStart_ = true;
        pendingSpace_ = false;
        lineHeight_ = 0;
    }

    struct TRun {
        const TStringChunk* chunk = nullptr;
        TRunLayout* layout = nullptr;
        uint32_t color = 0;
        int halfSize = 0;
        int quarterSize = 0;
    };

    TTextScroller& owner_;
    TDxSprite& sprite_;
    const TRect rect_;
    TRun run_;
    int x_;
    int y_;
    int lineHeight_ = 0;
    int32_t consumed_ = 0;
    bool atLineStart_ = true;
    bool result_ = false;
    bool full_ = false;
    int lineStart_ = -1;
    // Carried from one run into the next: "I **really** hate" keeps the
    // blanks between its runs.
    bool pendingSpace_ = false;
    int measuredTop_ = 0;
    int measuredBottom_ = 0;
};

TTextEnd TTextScroller::DrawIn(TDxSprite& sprite, const TRect& rect)
{
    if (!manager_)
        return {rect.left, rect.top, 0};
    TLayout layout(*this, sprite, ScaleRect(Scale(), rect));
    layout.Run();
    // Text that does not fit is cut off: the window counts as finished.
    if (layout.Finished())
        position_ = total_ + 1;
    const TTextEnd end = layout.End();
    return {UnscaleX(Scale(), end.x), UnscaleY(Scale(), end.y), UnscaleY(Scale(), end.lineHeight)};
}

void TTextScroller::DrawLine(TDxSprite& sprite, int x1, uint32_t color, int y, int x2)
{
    if (!lineTexture_ || x2 <= x1)
        return;
    sprite.SetTransform(MatrixTransformation2D((x2 - x1) / 8.0, 1.0, x1, y));
    const TResult result = sprite.Draw(*lineTexture_, nullptr, QPointF(0, 0), color);
    sprite.SetTransform(QTransform());
    CheckD3D(result, QStringLiteral("Sprite.Draw"));
}

void TTextScroller::DeviceLost()
{
    runs_.clear();
    lineTexture_.reset();
}

void TTextScroller::DeviceReset()
{
    if (Device())
        RebuildLineTexture();
}

// 8 x 4 pixels, the top row opaque white: stretched and tinted it draws
// underlines and strikeouts of any length and colour.
void TTextScroller::RebuildLineTexture()
{
    lineTexture_.reset();
    TDxDevice& device = *Device();
    std::unique_ptr<TDxTexture> texture;
    CheckD3D(device.CreateTexture(8, 4, 1, TPool::Default, texture), QStringLiteral("CreateTexture"));
    TDxSurface* level = nullptr;
    CheckD3D(texture->GetSurfaceLevel(0, level), QStringLiteral("GetSurfaceLevel"));
    std::unique_ptr<TDxSurface> surface;
    CheckD3D(device.CreateOffscreenPlainSurface(8, 4, surface), QStringLiteral("CreateOffscreenPlainSurface"));
    CheckD3D(FillRect(*surface, TRect{0, 0, 8, 4}, 0), QStringLiteral("FillRect"));
    CheckD3D(FillRect(*surface, TRect{0, 0, 8, 1}, 0xFFFFFFFFu), QStringLiteral("StrokeRect"));
    CheckD3D(device.UpdateSurface(*surface, *level), QStringLiteral("UpdateSurface"));
    lineTexture_ = std::move(texture);
}

// ------------------------------------------------------------ text box

TTextBox::TTextBox(TFontManager& manager, const TClock& clock)
    : manager_(manager), clock_(clock), box_(500, 100, 3), scroller_(clock), cursorPicture_(clock)
{
    scroller_.SetManager(&manager_);
}

void TTextBox::ResetLook()
{
    SetBounds({10, 585, 1014, 763});
    SetMargins(20, 20, 20, 20);
    SetNameAuto();
    SetCharTextAuto();
    SetBoxColor(0x808080);
    SetBoxAlpha(200);
    SetBoxFrameInset(6);
    SetSpeed(8);
    cursorPicture_.SetFrameInterval(50);
    const TFontInfo font = DefaultTextFont();
    SetNarrationFont(font);
    SetCharTextFont(TFontManager::MakeFontInfo(font.name, font.size, font.style, 0xFFFF00));
    SetNameFont(font);
    ClearName();
    SetText({});
    SetVisible(true);
}

void TTextBox::SetBounds(const TRect& bounds)
{
    bounds_ = bounds;
    box_.SetSize(bounds.Width(), bounds.Height());
    Changed();
}

void TTextBox::SetMargins(int left, int top, int right, int bottom)
{
    margins_ = {left, top, right, bottom};
    Changed();
}

TRect TTextBox::GetTextRect() const
{
    return {bounds_.left + margins_.left, bounds_.top + margins_.top, bounds_.right - margins_.right,
            bounds_.bottom - margins_.bottom};
}

bool TTextBox::Contains(QPoint point) const
{
    return point.x() >= bounds_.left && point.x() < bounds_.right && point.y() >= bounds_.top
        && point.y() < bounds_.bottom;
}

void TTextBox::SetText(const TTextBlock& block)
{
    scroller_.SetChunks(block);
    Changed();
}

void TTextBox::CompleteTyping()
{
    scroller_.SetPosition(scroller_.Total() + 1);
}

bool TTextBox::ChangesWithTime() const
{
    return Visible() && (scroller_.IsTyping() || cursorPicture_.FrameCount() > 1);
}

void TTextBox::SetName(const QString& name)
{
    name_ = name;
    hasName_ = true;
    Changed();
}

void TTextBox::ClearName()
{
    name_.clear();
    hasName_ = false;
    Changed();
}

void TTextBox::SetNameFont(const TFontInfo& font)
{
    if (TFontManager::FontInfoDiffers(nameFont_, font))
        nameFontObject_.reset();
    nameFont_ = font;
    Changed();
}

void TTextBox::SetNamePos(const TRect& rect)
{
    namePos_ = rect;
    nameAuto_ = false;
    Changed();
}

void TTextBox::SetNameAuto()
{
    nameAuto_ = true;
    Changed();
}

void TTextBox::SetCharTextPos(const TRect& rect)
{
    charTextPos_ = rect;
    charTextAuto_ = false;
    Changed();
}

void TTextBox::SetCharTextAuto()
{
    charTextAuto_ = true;
    Changed();
}

void TTextBox::SetBoxColor(TColorValue color)
{
    box_.SetColor(color);
    Changed();
}

void TTextBox::SetBoxAlpha(uint8_t alpha)
{
    box_.SetAlpha(alpha);
    Changed();
}

void TTextBox::SetBoxFrameInset(int inset)
{
    box_.SetFrameInset(inset);
    Changed();
}

void TTextBox::LoadBoxPicture(const QString& fileName)
{
    box_.LoadPicture(fileName);
    Changed();
}

void TTextBox::SetDevice(std::shared_ptr<TDxDevice> device)
{
    TGraphicObject::SetDevice(device);
    box_.SetDevice(device);
    scroller_.SetDevice(device);
    cursorPicture_.SetDevice(std::move(device));
}

void TTextBox::SetScale(double x, double y)
{
    TGraphicObject::SetScale(x, y);
    box_.SetScale(x, y);
    scroller_.SetScale(x, y);
    cursorPicture_.SetScale(x, y);
}

bool TTextBox::Update(uint32_t elapsed)
{
    const bool typed = scroller_.Update(elapsed);
    const bool animated = cursorPicture_.Update(clock_.TickCount());
    return VisibilityChanged() || (Visible() && (typed || IsChanged() || animated));
}

void TTextBox::ClearChanged()
{
    TGraphicObject::ClearChanged();
    if (Visible())
        scroller_.ClearChanged();
}

TRect TTextBox::Offset(const TRect& rect) const
{
    return {rect.left + bounds_.left, rect.top + bounds_.top, rect.right + bounds_.left, rect.bottom + bounds_.top};
}

void TTextBox::Draw(TDxSprite& sprite)
{
    if (!Visible())
        return;
    box_.DrawAt(sprite, bounds_.left, bounds_.top);
    TRect text = GetTextRect();
    if (hasName_) {
        const TRect name = DrawName(sprite, NameRect(text));
        if (nameAuto_ && charTextAuto_) {
            text.top = name.bottom + 10;
            text.left += 5;
        } else if (!charTextAuto_) {
            text = Offset(charTextPos_);
        }
    }
    const TTextEnd end = scroller_.DrawIn(sprite, text);
    DrawCursor(sprite, end, text);
}

TRect TTextBox::NameRect(const TRect& textRect) const
{
    if (nameAuto_)
        return {textRect.left, textRect.top, textRect.right, textRect.top};
    return Offset(namePos_);
}

// Returns the name's rectangle; an automatic one ends below the name, and an
// empty name still takes a line's height when the text follows automatically.
TRect TTextBox::DrawName(TDxSprite& sprite, const TRect& rect)
{
    if (!nameFontObject_)
        nameFontObject_ = FetchFont(manager_, nameFont_);
    TDxFont& font = *nameFontObject_;
    TRect scaled = ScaleRect(Scale(), rect);
    const uint32_t color = ColorToD3D(nameFont_.color);
    if (!name_.isEmpty() && nameAuto_) {
        TRect measured = scaled;
        DrawTextLine(font, nullptr, name_, measured, MeasureFormat, color);
        scaled.bottom = measured.bottom;
        DrawTextLine(font, &sprite, name_, measured, DrawFormat, color);
    } else if (!name_.isEmpty()) {
        DrawTextLine(font, &sprite, name_, scaled, DrawFormat, color);
    } else if (nameAuto_ && charTextAuto_) {
        TRect measured = scaled;
        DrawTextLine(font, nullptr, QStringLiteral("T"), measured, MeasureFormat, color);
        scaled.bottom = measured.bottom;
    }
    return UnscaleRect(Scale(), scaled);
}

// Bottom-aligned with the current line, or, where it would reach past the
// right edge, top-aligned with the next line at the left.
void TTextBox::DrawCursor(TDxSprite& sprite, const TTextEnd& end, const TRect& textRect)
{
    if (cursorPicture_.IsEmpty())
        return;
    const TRect frame = cursorPicture_.FrameRect();
    TRect place{end.x, end.y, end.x + frame.Width(), end.y + end.lineHeight};
    if (place.right > textRect.right) {
        const int top = end.y + end.lineHeight;
        place = {textRect.left, top, textRect.left + frame.Width(), top + frame.Height()};
    }
    cursorPicture_.DrawAt(sprite, place.left, place.bottom - frame.Height());
}

void TTextBox::DeviceLost()
{
    box_.DeviceLost();
    scroller_.DeviceLost();
    cursorPicture_.DeviceLost();
    nameFontObject_.reset();
}

void TTextBox::DeviceReset()
{
    box_.DeviceReset();
    scroller_.DeviceReset();
    cursorPicture_.DeviceReset();
}
