#include "render/HistoryOverlay.h"

#include "render/RenderDevice.h"
#include "render/TextboxControl.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// The panel in game-screen units: wide margins keep the game visible around
// it, so the reader knows the story is only behind, not gone.
const QRect PanelRect(64, 36, GameScreenWidth - 128, GameScreenHeight - 72);
constexpr int Inset = 34;
constexpr int TitleHeight = 56;
constexpr int HintHeight = 44;
constexpr int NameColumn = 170;
constexpr int ColumnGap = 22;
constexpr int EntryGap = 16;
constexpr int HeadingSpace = 10;
constexpr TColorValue HeadingColor = 0x00FFFF;
constexpr int WrapFlags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

QRect TextArea()
{
    return PanelRect.adjusted(Inset, TitleHeight + 8, -Inset - 14, -HintHeight);
}

QColor ToQColor(TColorValue color, int alpha = 255)
{
    QColor result = QColor::fromRgba(ColorToD3D(color));
    result.setAlpha(alpha);
    return result;
}

int MeasureWrapped(const TDxFont& font, const QString& text, int width)
{
    return font.Metrics().boundingRect(QRect(0, 0, width, 1 << 20), WrapFlags, text).height();
}

} // namespace

THistoryOverlay::THistoryOverlay(TFontManager& fonts) : fontManager_(fonts)
{
    SetVisible(false);
}

void THistoryOverlay::Open(std::vector<THistoryEntry> entries, const THistoryLook& look)
{
    entries_ = std::move(entries);
    heights_.assign(entries_.size(), 0);
    look_ = look;
    fonts_ = {};
    last_ = int(entries_.size()) - 1;
    first_ = std::max(last_, 0);
    SetVisible(true);
    Changed();
}

void THistoryOverlay::Close()
{
    SetVisible(false);
    entries_.clear();
    heights_.clear();
    fonts_ = {};
}

bool THistoryOverlay::Scroll(int steps)
{
    if (steps < 0 && last_ >= int(entries_.size()) - 1)
        return false;
    // Older than the first entry drawn at the top has nothing to show.
    if (steps > 0 && first_ <= 0)
        return true;
    last_ = std::clamp(last_ - steps, 0, std::max(int(entries_.size()) - 1, 0));
    Changed();
    return true;
}

bool THistoryOverlay::ScrollPage(int pages)
{
    const int shown = std::max(last_ - first_, 1);
    return Scroll(pages * shown);
}

bool THistoryOverlay::Update(uint32_t /*argument*/)
{
    return VisibilityChanged() || (Visible() && IsChanged());
}

void THistoryOverlay::DeviceLost()
{
    fonts_ = {};
    std::fill(heights_.begin(), heights_.end(), 0);
}

void THistoryOverlay::EnsureFonts()
{
    if (fonts_.narration)
        return;
    fonts_.narration = FetchFont(fontManager_, look_.Narration);
    fonts_.speech = FetchFont(fontManager_, look_.Speech);
    fonts_.name = FetchFont(fontManager_, look_.Name);
    TFontInfo heading = look_.Narration;
    heading.style |= FontStyle::Bold;
    fonts_.heading = FetchFont(fontManager_, heading);
    TFontInfo caption = look_.Narration;
    caption.size = std::max(caption.size * 3 / 4, 9);
    caption.style = 0;
    fonts_.caption = FetchFont(fontManager_, caption);
}

int THistoryOverlay::EntryHeight(int index)
{
    int& height = heights_[size_t(index)];
    if (height != 0)
        return height;
    const THistoryEntry& entry = entries_[size_t(index)];
    const QRect area = TextArea();
    if (entry.Heading) {
        height = MeasureWrapped(*fonts_.heading, entry.Text, area.width()) + 2 * HeadingSpace;
    } else {
        const TDxFont& font = entry.Speaker.isEmpty() ? *fonts_.narration : *fonts_.speech;
        height = MeasureWrapped(font, entry.Text, area.width() - NameColumn - ColumnGap);
        if (!entry.Speaker.isEmpty())
            height = std::max(height, fonts_.name->Metrics().height());
    }
    height = std::max(height, 1);
    return height;
}

// From the newest entry upwards as far as they fit. Once the oldest entry
// is shown and room is left, newer ones come in below instead, so paging
// back never leaves the panel half empty.
void THistoryOverlay::LayOut()
{
    const int available = TextArea().height();
    int used = 0;
    first_ = last_ + 1;
    while (first_ > 0) {
        const int height = EntryHeight(first_ - 1) + (first_ <= last_ ? EntryGap : 0);
        if (used + height > available && first_ <= last_)
            break;
        used += height;
        --first_;
    }
    while (first_ == 0 && last_ + 1 < int(entries_.size())) {
        const int height = EntryHeight(last_ + 1) + EntryGap;
        if (used + height > available)
            break;
        used += height;
        ++last_;
    }
}

void THistoryOverlay::Draw(TDxSprite& sprite)
{
    QPainter* painter = Visible() ? sprite.Painter() : nullptr;
    if (!painter)
        return;
    EnsureFonts();
    painter->save();
    painter->setTransform(sprite.PaintTransform());
    painter->setOpacity(1.0);
    DrawFrame(*painter);
    if (entries_.empty()) {
        painter->setFont(fonts_.narration->Font());
        painter->setPen(QColor(200, 200, 210));
        painter->drawText(TextArea(), Qt::AlignCenter, QStringLiteral("Nothing has been said yet."));
    } else {
        LayOut();
        int bottom = TextArea().bottom() + 1;
        for (int index = last_; index >= first_; --index) {
            bottom -= EntryHeight(index);
            DrawEntry(*painter, index, bottom);
            bottom -= EntryGap;
        }
        DrawScrollBar(*painter);
    }
    painter->restore();
}

void THistoryOverlay::DrawFrame(QPainter& painter)
{
    painter.fillRect(QRect(0, 0, GameScreenWidth, GameScreenHeight), QColor(0, 0, 0, 120));
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(PanelRect).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    painter.fillPath(panel, QColor(12, 16, 30, 216));
    painter.setPen(QPen(ToQColor(look_.Name.color, 150), 1.5));
    painter.drawPath(panel);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const QRect title(PanelRect.left() + Inset, PanelRect.top() + 10, PanelRect.width() - 2 * Inset, TitleHeight - 10);
    painter.setFont(fonts_.name->Font());
    painter.setPen(ToQColor(look_.Name.color));
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("History"));
    painter.fillRect(QRect(title.left(), title.bottom() + 1, title.width(), 1), ToQColor(look_.Name.color, 90));

    const QRect hint(title.left(), PanelRect.bottom() - HintHeight + 8, title.width(), HintHeight - 12);
    painter.setFont(fonts_.caption->Font());
    painter.setPen(QColor(160, 166, 182));
    painter.drawText(hint, Qt::AlignCenter,
                     QStringLiteral("Wheel or arrow keys scroll \u00b7 click, Esc or scrolling past the end returns"));
}

void THistoryOverlay::DrawEntry(QPainter& painter, int index, int top)
{
    const THistoryEntry& entry = entries_[size_t(index)];
    const QRect area = TextArea();
    const int height = EntryHeight(index);
    if (entry.Heading) {
        painter.setFont(fonts_.heading->Font());
        painter.setPen(ToQColor(HeadingColor));
        painter.drawText(QRect(area.left(), top, area.width(), height), Qt::AlignCenter | Qt::TextWordWrap,
                         entry.Text);
        return;
    }
    const int textLeft = area.left() + NameColumn + ColumnGap;
    if (!entry.Speaker.isEmpty()) {
        painter.setFont(fonts_.name->Font());
        painter.setPen(ToQColor(look_.Name.color));
        const QString name = fonts_.name->Metrics().elidedText(entry.Speaker, Qt::ElideRight, NameColumn);
        painter.drawText(QRect(area.left(), top, NameColumn, height), Qt::AlignRight | Qt::AlignTop, name);
    }
    const bool speech = !entry.Speaker.isEmpty();
    painter.setFont((speech ? fonts_.speech : fonts_.narration)->Font());
    painter.setPen(ToQColor(speech ? look_.Speech.color : look_.Narration.color));
    painter.drawText(QRect(textLeft, top, area.right() + 1 - textLeft, height), WrapFlags, entry.Text);
}

void THistoryOverlay::DrawScrollBar(QPainter& painter)
{
    const int count = int(entries_.size());
    if (first_ == 0 && last_ == count - 1)
        return;
    const QRect area = TextArea();
    const QRect track(PanelRect.right() - Inset + 6, area.top(), 4, area.height());
    painter.fillRect(track, QColor(255, 255, 255, 30));
    const int top = track.top() + track.height() * first_ / count;
    const int bottom = track.top() + track.height() * (last_ + 1) / count;
    painter.fillRect(QRect(track.left(), top, track.width(), std::max(bottom - top, 8)), ToQColor(look_.Name.color, 200));
}
