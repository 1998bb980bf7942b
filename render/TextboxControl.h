#pragma once

// The text window: a translucent box, an optional speaker name, the story
// text typed out one character at a time with word wrapping done while
// drawing, and an animated cursor picture after the last revealed character.

#include "engine/Clock.h"
#include "render/FontUtils.h"
#include "render/GraphicControls.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// One styled run of text; a set LineBreak starts the next run on a new line.
struct TStringChunk {
    TFontInfo Font;
    QString Text;
    bool LineBreak = false;
    bool operator==(const TStringChunk& other) const
    {
        return Font.name == other.Font.name && Font.size == other.Font.size && Font.style == other.Font.style
            && Font.color == other.Font.color && Text == other.Text && LineBreak == other.LineBreak;
    }
};

using TTextBlock = QList<TStringChunk>;

// Markup may ask for any size; fonts are made within these points.
inline constexpr int MinFontPoints = 1;
inline constexpr int MaxFontPoints = 500;

// Where the revealed text ends: the cursor's place and the current line's height.
struct TTextEnd {
    int x = 0;
    int y = 0;
    int lineHeight = 0;
};

// Reveals a text block at `speed` milliseconds per character and lays out
// the revealed part whenever it is drawn.
class TTextScroller : public TGraphicObject {
public:
    explicit TTextScroller(const TClock& clock);

    void SetManager(TFontManager* manager) { manager_ = manager; }
    void SetChunks(const TTextBlock& block);
    void Restart();
    void SetPosition(int32_t position);
    void SetSpeed(int32_t msPerCharacter) { speed_ = msPerCharacter; }
    // The reader's own pace: maps the script's milliseconds per character to
    // the ones typed at, so a later speed command is scaled too rather than
    // overriding the reader.
    void SetReaderDelay(std::function<int32_t(int32_t)> delay) { readerDelay_ = std::move(delay); }
    int32_t EffectiveSpeed() const;

    const TTextBlock& Chunks() const { return chunks_; }
    int32_t Speed() const { return speed_; }
    int32_t Position() const { return position_; }
    int32_t Total() const { return total_; }
    uint32_t Accumulated() const { return accumulated_; }
    bool IsTyping() const { return position_ < total_; }

    // Lays out and draws the revealed text inside `rect` (game-screen units);
    // the result is in game-screen units too.
    TTextEnd DrawIn(TDxSprite& sprite, const TRect& rect);
    // A one-pixel line from x1 to x2 at y, in device pixels.
    void DrawLine(TDxSprite& sprite, int x1, uint32_t color, int y, int x2);

    bool Update(uint32_t elapsed) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    struct TWord {
        int start;
        int end;
        int width;  // device pixels, the whole word
    };
    // What a run's font says about it; the same at every paint until the
    // block or the device changes, so it is measured once.
    struct TRunLayout {
        std::shared_ptr<TDxFont> font;
        int height = 0;
        std::vector<TWord> words;
        bool measured = false;
    };
    class TLayout;

    TRunLayout& RunLayout(int run);
    void RebuildLineTexture();

    const TClock& clock_;
    TFontManager* manager_ = nullptr;
    TTextBlock chunks_;
    std::vector<TRunLayout> runs_;
    std::unique_ptr<TDxTexture> lineTexture_;
    int32_t speed_ = 15;
    std::function<int32_t(int32_t)> readerDelay_;
    int32_t position_ = 0;
    int32_t total_ = 0;
    uint32_t lastTick_ = 0;
    uint32_t accumulated_ = 0;
};

struct TMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const TMargins&) const = default;
};

// The font every run of text starts from unless a script says otherwise.
TFontInfo DefaultTextFont();
// The shared font object for a font record, its size kept within the
// points fonts are made in.
std::shared_ptr<TDxFont> FetchFont(TFontManager& manager, const TFontInfo& info);

class TTextBox : public TGraphicObject {
public:
    TTextBox(TFontManager& manager, const TClock& clock);

    // The look every reset restores; scripts change it through the setters.
    void ResetLook();

    void SetBounds(const TRect& bounds);
    const TRect& Bounds() const { return bounds_; }
    void SetMargins(int left, int top, int right, int bottom);
    const TMargins& Margins() const { return margins_; }
    TRect GetTextRect() const;
    // Right and bottom edges excluded.
    bool Contains(QPoint point) const;

    void SetText(const TTextBlock& block);
    const TTextBlock& Text() const { return scroller_.Chunks(); }
    bool IsTyping() const { return scroller_.IsTyping(); }
    void CompleteTyping();
    // Whether the window changes with time alone (text still typing out, an
    // animated cursor), so frames must keep coming while the story waits.
    bool ChangesWithTime() const;
    void SetSpeed(int32_t msPerCharacter) { scroller_.SetSpeed(msPerCharacter); }
    int32_t Speed() const { return scroller_.Speed(); }

    void SetName(const QString& name);
    void ClearName();
    const QString& Name() const { return name_; }
    bool HasName() const { return hasName_; }
    void SetNameFont(const TFontInfo& font);
    const TFontInfo& NameFont() const { return nameFont_; }
    void SetNamePos(const TRect& rect);
    void SetNameAuto();
    const TRect& NamePos() const { return namePos_; }
    bool NameAuto() const { return nameAuto_; }
    void SetCharTextPos(const TRect& rect);
    void SetCharTextAuto();
    const TRect& CharTextPos() const { return charTextPos_; }
    bool CharTextAuto() const { return charTextAuto_; }

    // Narration starts from the narration font, a speaker's text from the
    // character-text font.
    void SetNarrationFont(const TFontInfo& font) { narrationFont_ = font; }
    void SetCharTextFont(const TFontInfo& font) { charTextFont_ = font; }
    const TFontInfo& NarrationFont() const { return narrationFont_; }
    const TFontInfo& CharTextFont() const { return charTextFont_; }
    const TFontInfo& BaseFont() const { return hasName_ ? charTextFont_ : narrationFont_; }

    void SetBoxColor(TColorValue color);
    void SetBoxAlpha(uint8_t alpha);
    void SetBoxFrameInset(int inset);
    // Raises ED3DError "LoadTexture(<file>) failed: <code>." on a bad file.
    void LoadBoxPicture(const QString& fileName);
    const TTransparentBox& Box() const { return box_; }
    // The continuation cursor; loaded and cleared by its command.
    TDxPicture& CursorPicture() { return cursorPicture_; }
    const TDxPicture& CursorPicture() const { return cursorPicture_; }
    TTextScroller& Scroller() { return scroller_; }

    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    bool Update(uint32_t elapsed) override;
    void ClearChanged() override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    TRect NameRect(const TRect& textRect) const;
    TRect DrawName(TDxSprite& sprite, const TRect& rect);
    void DrawCursor(TDxSprite& sprite, const TTextEnd& end, const TRect& textRect);
    TRect Offset(const TRect& rect) const;

    TFontManager& manager_;
    const TClock& clock_;
    TTransparentBox box_;
    TTextScroller scroller_;
    TDxPicture cursorPicture_;
    TRect bounds_;
    TMargins margins_;
    QString name_;
    bool hasName_ = false;
    TFontInfo nameFont_;
    std::shared_ptr<TDxFont> nameFontObject_;
    TRect namePos_;
    bool nameAuto_ = true;
    TRect charTextPos_;
    bool charTextAuto_ = true;
    TFontInfo narrationFont_;
    TFontInfo charTextFont_;
};
