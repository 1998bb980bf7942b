#include "render/TypeUtils.h"

#include "engine/Exceptions.h"
#include "engine/FileSystem.h"
#include "engine/IntegerText.h"

#include <QFileInfo>

namespace {

// The tables are written as the web writes colours (#RRGGBB) so they can be
// checked by eye; this turns such a number into our byte order.
constexpr TColorValue Html(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Reads `count` hexadecimal digits as one number, high digit first.
bool ReadHex(QStringView digits, uint32_t& value)
{
    uint32_t result = 0;
    for (QChar c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        result = (result << 4) | uint32_t(digit);
    }
    value = result;
    return true;
}

// "$BBGGRR" spells the value itself; of "$AABBGGRR" the leading pair is
// dropped. Every character must still be a hexadecimal digit.
bool ParseDollarColor(QStringView text, TColorValue& color)
{
    if (text.size() != 7 && text.size() != 9)
        return false;
    uint32_t all = 0;
    if (!ReadHex(text.sliced(1), all))
        return false;
    color = all & 0xFFFFFF;
    return true;
}

// "0xRRGGBB" is read in the web's order; of "0xRRGGBBAA" the trailing pair
// is dropped (not the leading one as with "$").
bool ParseHexColor(QStringView text, TColorValue& color)
{
    if (text.size() != 8 && text.size() != 10)
        return false;
    uint32_t all = 0;
    if (!ReadHex(text.sliced(2), all))
        return false;
    color = Html(text.size() == 10 ? all >> 8 : all);
    return true;
}

template <typename Table>
const typename Table::value_type* FindName(const Table& table, QStringView name)
{
    for (const auto& entry : table)
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

bool IsKeyword(QStringView text, QStringView keyword)
{
    return text.compare(keyword, Qt::CaseInsensitive) == 0;
}

bool TryParseRange(QStringView text, int low, int high, int& value)
{
    int32_t number = 0;
    if (!TryParseInteger(text, number) || number < low || number > high)
        return false;
    value = number;
    return true;
}

} // namespace

const std::array<TNamedColor, 18> BasicColorNames = {{
    {u"Black", Html(0x000000)},   {u"Maroon", Html(0x800000)},  {u"Green", Html(0x008000)},
    {u"Olive", Html(0x808000)},   {u"Navy", Html(0x000080)},    {u"Purple", Html(0x800080)},
    {u"Teal", Html(0x008080)},    {u"Gray", Html(0x808080)},    {u"Silver", Html(0xC0C0C0)},
    {u"Red", Html(0xFF0000)},     {u"Lime", Html(0x00FF00)},    {u"Yellow", Html(0xFFFF00)},
    {u"Blue", Html(0x0000FF)},    {u"Fuchsia", Html(0xFF00FF)}, {u"Magenta", Html(0xFF00FF)},
    {u"Aqua", Html(0x00FFFF)},    {u"Cyan", Html(0x00FFFF)},    {u"White", Html(0xFFFFFF)},
}};

// Duplicates and the odd spellings (LightGrey next to DarkGray) are kept as
// scripts have always seen them.
const std::array<TNamedColor, 147> ExtendedColorNames = {{
    {u"IndianRed", Html(0xCD5C5C)},
    {u"LightCoral", Html(0xF08080)},
    {u"Salmon", Html(0xFA8072)},
    {u"DarkSalmon", Html(0xE9967A)},
    {u"LightSalmon", Html(0xFFA07A)},
    {u"Crimson", Html(0xDC143C)},
    {u"Red", Html(0xFF0000)},
    {u"FireBrick", Html(0xB22222)},
    {u"DarkRed", Html(0x8B0000)},
    {u"Pink", Html(0xFFC0CB)},
    {u"LightPink", Html(0xFFB6C1)},
    {u"HotPink", Html(0xFF69B4)},
    {u"DeepPink", Html(0xFF1493)},
    {u"MediumVioletRed", Html(0xC71585)},
    {u"PaleVioletRed", Html(0xDB7093)},
    {u"LightSalmon", Html(0xFFA07A)},
    {u"Coral", Html(0xFF7F50)},
    {u"Tomato", Html(0xFF6347)},
    {u"OrangeRed", Html(0xFF4500)},
    {u"DarkOrange", Html(0xFF8C00)},
    {u"Orange", Html(0xFFA500)},
    {u"Gold", Html(0xFFD700)},
    {u"Yellow", Html(0xFFFF00)},
    {u"LightYellow", Html(0xFFFFE0)},
    {u"LemonChiffon", Html(0xFFFACD)},
    {u"LightGoldenrodYellow", Html(0xFAFAD2)},
    {u"PapayaWhip", Html(0xFFEFD5)},
    {u"Moccasin", Html(0xFFE4B5)},
    {u"PeachPuff", Html(0xFFDAB9)},
    {u"PaleGoldenrod", Html(0xEEE8AA)},
    {u"Khaki", Html(0xF0E68C)},
    {u"DarkKhaki", Html(0xBDB76B)},
    {u"Lavender", Html(0xE6E6FA)},
    {u"Thistle", Html(0xD8BFD8)},
    {u"Plum", Html(0xDDA0DD)},
    {u"Violet", Html(0xEE82EE)},
    {u"Orchid", Html(0xDA70D6)},
    {u"Fuchsia", Html(0xFF00FF)},
    {u"Magenta", Html(0xFF00FF)},
    {u"MediumOrchid", Html(0xBA55D3)},
    {u"MediumPurple", Html(0x9370DB)},
    {u"Amethyst", Html(0x9966CC)},
    {u"BlueViolet", Html(0x8A2BE2)},
    {u"DarkViolet", Html(0x9400D3)},
    {u"DarkOrchid", Html(0x9932CC)},
    {u"DarkMagenta", Html(0x8B008B)},
    {u"Purple", Html(0x800080)},
    {u"X11Purple", Html(0x800080)},
    {u"Indigo", Html(0x4B0082)},
    {u"SlateBlue", Html(0x6A5ACD)},
    {u"DarkSlateBlue", Html(0x483D8B)},
    {u"MediumSlateBlue", Html(0x7B68EE)},
    {u"GreenYellow", Html(0xADFF2F)},
    {u"Chartreuse", Html(0x7FFF00)},
    {u"LawnGreen", Html(0x7CFC00)},
    {u"Lime", Html(0x00FF00)},
    {u"LimeGreen", Html(0x32CD32)},
    {u"PaleGreen", Html(0x98FB98)},
    {u"LightGreen", Html(0x90EE90)},
    {u"MediumSpringGreen", Html(0x00FA9A)},
    {u"SpringGreen", Html(0x00FF7F)},
    {u"MediumSeaGreen", Html(0x3CB371)},
    {u"SeaGreen", Html(0x2E8B57)},
    {u"ForestGreen", Html(0x228B22)},
    {u"Green", Html(0x008000)},
    {u"X11Green", Html(0x008000)},
    {u"DarkGreen", Html(0x006400)},
    {u"YellowGreen", Html(0x9ACD32)},
    {u"OliveDrab", Html(0x6B8E23)},
    {u"Olive", Html(0x808000)},
    {u"DarkOliveGreen", Html(0x556B2F)},
    {u"MediumAquamarine", Html(0x66CDAA)},
    {u"DarkSeaGreen", Html(0x8FBC8F)},
    {u"LightSeaGreen", Html(0x20B2AA)},
    {u"DarkCyan", Html(0x008B8B)},
    {u"Teal", Html(0x008080)},
    {u"Aqua", Html(0x00FFFF)},
    {u"Cyan", Html(0x00FFFF)},
    {u"LightCyan", Html(0xE0FFFF)},
    {u"PaleTurquoise", Html(0xAFEEEE)},
    {u"Aquamarine", Html(0x7FFFD4)},
    {u"Turquoise", Html(0x40E0D0)},
    {u"MediumTurquoise", Html(0x48D1CC)},
    {u"DarkTurquoise", Html(0x00CED1)},
    {u"CadetBlue", Html(0x5F9EA0)},
    {u"SteelBlue", Html(0x4682B4)},
    {u"LightSteelBlue", Html(0xB0C4DE)},
    {u"PowderBlue", Html(0xB0E0E6)},
    {u"LightBlue", Html(0xADD8E6)},
    {u"SkyBlue", Html(0x87CEEB)},
    {u"LightSkyBlue", Html(0x87CEFA)},
    {u"DeepSkyBlue", Html(0x00BFFF)},
    {u"DodgerBlue", Html(0x1E90FF)},
    {u"CornflowerBlue", Html(0x6495ED)},
    {u"MediumSlateBlue", Html(0x7B68EE)},
    {u"RoyalBlue", Html(0x4169E1)},
    {u"Blue", Html(0x0000FF)},
    {u"MediumBlue", Html(0x0000CD)},
    {u"DarkBlue", Html(0x00008B)},
    {u"Navy", Html(0x000080)},
    {u"MidnightBlue", Html(0x191970)},
    {u"Cornsilk", Html(0xFFF8DC)},
    {u"BlanchedAlmond", Html(0xFFEBCD)},
    {u"Bisque", Html(0xFFE4C4)},
    {u"NavajoWhite", Html(0xFFDEAD)},
    {u"Wheat", Html(0xF5DEB3)},
    {u"BurlyWood", Html(0xDEB887)},
    {u"Tan", Html(0xD2B48C)},
    {u"RosyBrown", Html(0xBC8F8F)},
    {u"SandyBrown", Html(0xF4A460)},
    {u"Goldenrod", Html(0xDAA520)},
    {u"DarkGoldenrod", Html(0xB8860B)},
    {u"Peru", Html(0xCD853F)},
    {u"Chocolate", Html(0xD2691E)},
    {u"SaddleBrown", Html(0x8B4513)},
    {u"Sienna", Html(0xA0522D)},
    {u"Brown", Html(0xA52A2A)},
    {u"Maroon", Html(0x800000)},
    {u"X11Maroon", Html(0x800000)},
    {u"White", Html(0xFFFFFF)},
    {u"Snow", Html(0xFFFAFA)},
    {u"Honeydew", Html(0xF0FFF0)},
    {u"MintCream", Html(0xF5FFFA)},
    {u"Azure", Html(0xF0FFFF)},
    {u"AliceBlue", Html(0xF0F8FF)},
    {u"GhostWhite", Html(0xF8F8FF)},
    {u"WhiteSmoke", Html(0xF5F5F5)},
    {u"Seashell", Html(0xFFF5EE)},
    {u"Beige", Html(0xF5F5DC)},
    {u"OldLace", Html(0xFDF5E6)},
    {u"FloralWhite", Html(0xFFFAF0)},
    {u"Ivory", Html(0xFFFFF0)},
    {u"AntiqueWhite", Html(0xFAEBD7)},
    {u"Linen", Html(0xFAF0E6)},
    {u"LavenderBlush", Html(0xFFF0F5)},
    {u"MistyRose", Html(0xFFE4E1)},
    {u"Gainsboro", Html(0xDCDCDC)},
    {u"LightGrey", Html(0xD3D3D3)},
    {u"Silver", Html(0xC0C0C0)},
    {u"DarkGray", Html(0xA9A9A9)},
    {u"Gray", Html(0x808080)},
    {u"X11Gray", Html(0x808080)},
    {u"DimGray", Html(0x696969)},
    {u"LightSlateGray", Html(0x778899)},
    {u"SlateGray", Html(0x708090)},
    {u"DarkSlateGray", Html(0x2F4F4F)},
    {u"Black", Html(0x000000)},
}};

const std::array<TNamedSize, 7> FontSizeNames = {{
    {u"Tiny", 8},    {u"Small", 14}, {u"BelowNormal", 16}, {u"Normal", 18},
    {u"AboveNormal", 20}, {u"Large", 24}, {u"Huge", 32},
}};

const QStringList PictureExtensions = {QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("bmp")};
const QStringList MusicExtensions = {QStringLiteral("mp3"), QStringLiteral("ogg")};
const QStringList SoundExtensions = {QStringLiteral("wav"), QStringLiteral("mp3"), QStringLiteral("flac"),
                                     QStringLiteral("aif"), QStringLiteral("ogg")};

bool TryParseColor(QStringView text, TColorValue& color)
{
    if (text.isEmpty())
        return false;
    // A hexadecimal form of the wrong length fails outright: no colour name
    // starts with "$" or "0x", so looking one up could only mislead.
    if (text.size() > 1 && text[0] == u'$')
        return ParseDollarColor(text, color);
    if (text.size() > 2 && text[0] == u'0' && text[1] == u'x')
        return ParseHexColor(text, color);
    const TNamedColor* entry = FindName(BasicColorNames, text);
    if (!entry)
        entry = FindName(ExtendedColorNames, text);
    if (!entry)
        return false;
    color = entry->color;
    return true;
}

TColorValue ParseColor(QStringView text)
{
    TColorValue color = 0;
    if (!TryParseColor(text, color))
        throw Exception(QLatin1Char('"') + text.toString() + QStringLiteral("\" is not a valid color value."));
    return color;
}

bool TryParseFontSize(QStringView text, int& size)
{
    if (const TNamedSize* entry = FindName(FontSizeNames, text)) {
        size = entry->size;
        return true;
    }
    return TryParseRange(text, INT32_MIN, INT32_MAX, size);
}

int ParseFontSize(QStringView text)
{
    int size = 0;
    if (!TryParseFontSize(text, size))
        throw Exception(QLatin1Char('"') + text.toString() + QStringLiteral("\" is not a valid size value."));
    return size;
}

bool TryParseInterval(QStringView text, int& milliseconds)
{
    if (text.isEmpty() || IsKeyword(text, u"now")) {
        milliseconds = 0;
        return true;
    }
    return TryParseRange(text, INT32_MIN, INT32_MAX, milliseconds);
}

bool TryParseByte(QStringView text, int& value)
{
    return TryParseRange(text, 0, 255, value);
}

bool TryParseVolume(QStringView text, int& value)
{
    static constexpr struct {
        QStringView name;
        int volume;
    } keywords[] = {{u"off", 0}, {u"min", 1}, {u"max", 255}};
    for (const auto& keyword : keywords)
        if (IsKeyword(text, keyword.name)) {
            value = keyword.volume;
            return true;
        }
    return TryParseRange(text, 0, 255, value);
}

QString FindFileWithExtension(const QString& basePath, const QStringList& extensions)
{
    for (const QString& extension : extensions) {
        const QString found = ResolvePathIgnoringCase(basePath + QLatin1Char('.') + extension);
        if (QFileInfo(found).isFile())
            return found;
    }
    return {};
}
