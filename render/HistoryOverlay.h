#pragma once

// The reader's history over the game screen: the game dimmed behind a dark
// translucent panel that lists the texts shown so far, newest at the bottom,
// in the text window's fonts and colours. It scrolls by whole entries, so no
// text is ever cut in half at the panel's edge.

#include "render/FontUtils.h"
#include "render/GraphicControls.h"

#include <QString>

#include <memory>
#include <vector>

struct THistoryEntry {
    QString Speaker;  // empty for narration and headings
    QString Text;
    bool Heading = false;
};

// The fonts the history copies from the text window when it opens.
struct THistoryLook {
    TFontInfo Narration;
    TFontInfo Speech;
    TFontInfo Name;
};

class THistoryOverlay : public TGraphicObject {
public:
    explicit THistoryOverlay(TFontManager& fonts);

    // Shows the entries (oldest first), scrolled to the newest.
    void Open(std::vector<THistoryEntry> entries, const THistoryLook& look);
    void Close();
    bool IsOpen() const { return Visible(); }

    // Positive steps go back to older entries, negative ones forward. Returns
    // false when asked to go forward from the newest entry: the reader wants
    // back to the story.
    bool Scroll(int steps);
    // As Scroll, by what the panel showed at its last frame.
    bool ScrollPage(int pages);
    // The newest entry at the panel's bottom, and the oldest one drawn above
    // it at the last frame.
    int LastShown() const { return last_; }
    int FirstShown() const { return first_; }
    int Count() const { return int(entries_.size()); }

    bool Update(uint32_t argument) override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;

private:
    struct TFonts {
        std::shared_ptr<TDxFont> narration, speech, name, heading, caption;
    };
    int EntryHeight(int index);
    void LayOut();
    void DrawEntry(QPainter& painter, int index, int top);
    void DrawFrame(QPainter& painter);
    void DrawScrollBar(QPainter& painter);
    void EnsureFonts();

    TFontManager& fontManager_;
    std::vector<THistoryEntry> entries_;
    std::vector<int> heights_;  // measured at the first frame that needs them; 0 = not yet
    THistoryLook look_;
    TFonts fonts_;
    int last_ = -1;
    int first_ = 0;
};
