#include "interpreter/CommandValues.h"

#include "engine/IntegerText.h"

int32_t IntegerParam(const TCmdData& cmd, qsizetype i, const QString& what)
{
    int32_t value = 0;
    if (!TryParseInteger(cmd.Params[i], value))
        RaiseInvalidParam(cmd, what, i);
    return value;
}

TColorValue ColorParam(const TCmdData& cmd, qsizetype i)
{
    TColorValue color = 0;
    if (!TryParseColor(cmd.Params[i], color))
        RaiseInvalidParam(cmd, QStringLiteral("color"), i);
    return color;
}

int FontSizeParam(const TCmdData& cmd, qsizetype i)
{
    int size = 0;
    if (!TryParseFontSize(cmd.Params[i], size))
        RaiseInvalidParam(cmd, QStringLiteral("size"), i);
    return size;
}

uint8_t AlphaParam(const TCmdData& cmd, qsizetype i)
{
    int alpha = 0;
    if (!TryParseByte(cmd.Params[i], alpha))
        RaiseInvalidParam(cmd, QStringLiteral("alpha"), i);
    return static_cast<uint8_t>(alpha);
}

int OptionalIntervalParam(const TCmdData& cmd, qsizetype i)
{
    int interval = 0;
    if (cmd.Params.size() > i && !TryParseInterval(cmd.Params[i], interval))
        RaiseInvalidParam(cmd, QStringLiteral("interval"), i);
    return interval;
}

TColorValue RequiredColor(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("color"));
    return ColorParam(cmd, 0);
}

int RequiredFontSize(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("size"));
    return FontSizeParam(cmd, 0);
}

uint8_t RequiredAlpha(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("alpha"));
    return AlphaParam(cmd, 0);
}
