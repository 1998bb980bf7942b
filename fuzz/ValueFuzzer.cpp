// The value syntaxes scripts and settings share: integers (with "true" and
// "false" where a flag may stand), colours, font sizes, intervals, bytes and
// volumes. The input is one value.

#include "engine/Exceptions.h"
#include "engine/IntegerText.h"
#include "interpreter/ValueParsing.h"
#include "render/TypeUtils.h"
#include "support/FuzzEnvironment.h"

namespace {

void CheckInteger(const QString& text)
{
    int32_t value = 0;
    const bool parsed = TryParseInteger(text, value);
    if (parsed) {
        int32_t again = 0;
        FuzzCheck(TryParseInteger(QString::number(value), again) && again == value,
                  QStringLiteral("an integer's decimal text reads back as the same integer"));
    }
    try {
        const int32_t strict = ParseIntStrict(text);
        FuzzCheck(parsed && strict == value, QStringLiteral("the strict reader accepts what the other does"));
    } catch (const Exception&) {
        FuzzCheck(!parsed, QStringLiteral("the strict reader refuses only what the other refuses"));
    }
    int32_t flag = 0;
    if (TryParseIntOrBool(text, flag) && parsed)
        FuzzCheck(flag == value, QStringLiteral("a flag that is an integer keeps its value"));
}

void CheckColor(const QString& text)
{
    TColorValue color = NoColor;
    const bool parsed = TryParseColor(text, color);
    if (parsed)
        FuzzCheck(color <= 0xFFFFFF, QStringLiteral("a colour has 24 bits"));
    else
        FuzzCheck(color == NoColor, QStringLiteral("a colour that cannot be read is left alone"));
    try {
        const TColorValue raised = ParseColor(text);
        FuzzCheck(parsed && raised == color, QStringLiteral("the raising colour reader agrees"));
    } catch (const Exception&) {
        FuzzCheck(!parsed, QStringLiteral("the raising colour reader refuses only what the other refuses"));
    }
    FuzzCheck((ColorToD3D(color & 0xFFFFFF) >> 24) == 0xFF, QStringLiteral("device colours are opaque"));
}

void CheckSize(const QString& text)
{
    int size = 0;
    const bool parsed = TryParseFontSize(text, size);
    try {
        const int raised = ParseFontSize(text);
        FuzzCheck(parsed && raised == size, QStringLiteral("the raising size reader agrees"));
    } catch (const Exception&) {
        FuzzCheck(!parsed, QStringLiteral("the raising size reader refuses only what the other refuses"));
    }
}

void CheckRanges(const QString& text)
{
    int value = -1;
    if (TryParseByte(text, value))
        FuzzCheck(value >= 0 && value <= 255, QStringLiteral("a byte lies in 0..255"));
    value = -1;
    if (TryParseVolume(text, value))
        FuzzCheck(value >= 0 && value <= 255, QStringLiteral("a volume lies in 0..255"));
    int ms = 0;
    TryParseInterval(text, ms);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = FuzzText(data, size);
    CheckInteger(text);
    CheckColor(text);
    CheckSize(text);
    CheckRanges(text);
    return 0;
}
