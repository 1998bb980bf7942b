#include "interpreter/TextCommands.h"

#include "engine/Exceptions.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"
#include "engine/StringUtils.h"
#include "interpreter/References.h"
#include "render/FontUtils.h"
#include "render/TypeUtils.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr TColorValue HeadingColor = 0x00FFFF;

// Reads one line's markup left to right. Ordinary characters wait in a
// pending run; a chunk stays open for more text until a change of the font
// state closes it, stamping the state that was in effect for its text.
class TMarkupScanner {
public:
    TMarkupScanner(const QString& text, const TFontInfo& base, const TFontManager& fonts, const TKvtParser& parser,
                   const TKvtVariables& variables)
        : text_(text), base_(base), state_(base), fonts_(fonts), parser_(parser), variables_(variables) {}

    TTextBlock Scan()
    {
        while (i_ < text_.size())
            ScanOne();
        FlushAndClose();
        return block_;
    }

private:
    void ScanOne()
    {
        const QChar c = text_[i_];
        const QChar next = i_ + 1 < text_.size() ? text_[i_ + 1] : QChar();
        if (c == u'*' && next == u'*')
            ToggleStyle(FontStyle::Bold, 2);
        else if (c == u'~' && next == u'~')
            ToggleStyle(FontStyle::Italic, 2);
        else if (c == u'-' && next == u'-')
            ToggleStyle(FontStyle::Strikeout, 2);
        else if (c == u'_')
            ToggleStyle(FontStyle::Underline, next == u'_' ? 2 : 1);  // "__" toggles once
        else if (c == u'%')
            Reference();
        else if (c == u'\\')
            Special(next);
        else
            TakeOrdinary();
    }

    // Ordinary characters up to the next one that may start markup, at once.
    void TakeOrdinary()
    {
        qsizetype end = i_ + 1;
        while (end < text_.size() && !MayStartMarkup(text_[end]))
            ++end;
        if (i_ == 0 && end == text_.size())
            pending_ = text_;  // a line without markup shares its text, uncopied
        else
            pending_ += QStringView(text_).mid(i_, end - i_);
        i_ = end;
    }

    static bool MayStartMarkup(QChar c)
    {
        return c == u'*' || c == u'~' || c == u'-' || c == u'_' || c == u'%' || c == u'\\';
    }

    void ToggleStyle(uint8_t flag, int length)
    {
        FlushAndClose();
        state_.style ^= flag;
        i_ += length;
    }

    void Reference()
    {
        const qsizetype close = text_.indexOf(u'%', i_ + 1);
        if (close < 0)
            throw Exception(QStringLiteral("Unterminated variable reference!"));
        Flush();
        // The value is text, never markup.
        Append(ResolveReference(parser_, variables_, text_.mid(i_ + 1, close - i_ - 1)));
        i_ = close + 1;
    }

    void Special(QChar command)
    {
        i_ += 2;
        if (command == u'\\' || command == u'%') {
            Flush();
            Append(QString(command));
        } else if (command == u'n' || command == u'N') {
            Open();
            block_.last().LineBreak = true;
            FlushAndClose();
        } else if (command == u'=') {
            SetSize(base_.size);
        } else if (command == u'+' || command == u'-') {
            SizeSteps();
        } else if (command == u'c') {
            SetColor(Value(QStringLiteral("color")));
        } else if (command == u'f') {
            SetFace(Value(QStringLiteral("font")));
        } else if (command == u's') {
            SetSize(Value(QStringLiteral("size")));
        } else {
            throw Exception(QStringLiteral("Unrecognized special command: ") + (command.isNull() ? QString() : QString(command))
                            + QStringLiteral("."));
        }
    }

    void SizeSteps()
    {
        Flush();
        int64_t count = 0;
        for (--i_; i_ < text_.size() && (text_[i_] == u'+' || text_[i_] == u'-'); ++i_)
            count += text_[i_] == u'+' ? 1 : -1;
        if (count != 0) {
            Close();
            // "\s:" may have set a size at either end of the range.
            state_.size = int(std::clamp<int64_t>(state_.size + 2 * count, INT32_MIN, INT32_MAX));
        }
    }

    // The value of "\c:value:", "\f:value:" or "\s:value:", blanks trimmed.
    QString Value(const QString& what)
    {
        const bool opened = i_ < text_.size() && text_[i_] == u':';
        const qsizetype close = opened ? text_.indexOf(u':', i_ + 1) : -1;
        if (close < 0)
            throw Exception(QStringLiteral("Invalid %1 markup in \"%2\".").arg(what, text_));
        const QString value = TrimChar(text_.mid(i_ + 1, close - i_ - 1), u' ');
        i_ = close + 1;
        return value;
    }

    void SetColor(const QString& value)
    {
        Flush();
        const TColorValue color = value.isEmpty() ? base_.color : ParseColor(value);
        if (color != state_.color) {
            Close();
            state_.color = color;
        }
    }

    void SetFace(const QString& value)
    {
        Flush();
        const QString face = value.isEmpty() ? base_.name : value;
        if (face.compare(state_.name, Qt::CaseInsensitive) == 0)
            return;
        if (!fonts_.FontExists(face))
            throw Exception(QStringLiteral("Font not found: ") + face);
        Close();
        state_.name = face;
    }

    void SetSize(const QString& value)
    {
        SetSize(value.isEmpty() ? base_.size : ParseFontSize(value));
    }

    void SetSize(int size)
    {
        Flush();
        if (size != state_.size) {
            Close();
            state_.size = size;
        }
    }

    void Open()
    {
        if (!open_) {
            block_.append(TStringChunk{});
            open_ = true;
        }
    }

    void Append(const QString& text)
    {
        if (text.isEmpty())
            return;
        Open();
        block_.last().Text += text;
    }

    void Flush()
    {
        Append(pending_);
        pending_.clear();
    }

    void Close()
    {
        if (!open_)
            return;
        block_.last().Font = state_;
        open_ = false;
    }

    void FlushAndClose()
    {
        Flush();
        Close();
    }

    const QString& text_;
    const TFontInfo base_;
    TFontInfo state_;
    const TFontManager& fonts_;
    const TKvtParser& parser_;
    const TKvtVariables& variables_;
    TTextBlock block_;
    QString pending_;
    bool open_ = false;
    qsizetype i_ = 0;
};

} // namespace

TTextCommands::TTextCommands(TTextBox& textBox, const TFontManager& fonts, const TKvtParser& parser,
                             const TKvtVariables& variables)
    : textBox_(textBox), fonts_(fonts), parser_(parser), variables_(variables)
{
}

TTextBlock TTextCommands::BuildTextBlock(const QString& text, const TFontInfo& base) const
{
    return TMarkupScanner(text, base, fonts_, parser_, variables_).Scan();
}

void TTextCommands::OpenTextBlock(bool keepSpeaker)
{
    if (!keepSpeaker)
        textBox_.ClearName();
    textBox_.SetVisible(true);
}

TTextBlock TTextCommands::ShowText(const QString& text)
{
    // Laid out before anything changes: a line with bad markup shows nothing.
    const TTextBlock block = BuildTextBlock(text, textBox_.BaseFont());
    textBox_.SetText(block);
    return block;
}

TTextBlock TTextCommands::ShowSpeech(const QString& text)
{
    TTextBlock block = ShowText(text);
    textBox_.SetVisible(true);
    return block;
}

TTextBlock TTextCommands::ShowHeading(const QString& heading)
{
    const TFontInfo font = DefaultTextFont();
    const TTextBlock block{
        TStringChunk{TFontManager::MakeFontInfo(font.name, font.size, 0, HeadingColor), heading, false}};
    textBox_.ClearName();
    textBox_.SetText(block);
    return block;
}

QString TTextCommands::PlainText(const TTextBlock& block)
{
    QString text;
    for (const TStringChunk& chunk : block) {
        text += chunk.Text;
        if (chunk.LineBreak)
            text += u' ';
    }
    return text;
}
