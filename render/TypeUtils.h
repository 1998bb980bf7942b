#pragma once

// The value syntaxes that script commands share: colours, font sizes,
// durations, alpha bytes, volumes, and probing a file name against a list of
// extensions. Every handler parses through here so that the spellings a
// script may use are the same everywhere.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>

// Red in the low byte, green in bits 8-15, blue in bits 16-23; the values
// produced here never set bits 24-31.
using TColorValue = uint32_t;

// Stands for "no colour" (no colour key, no tint) where a field allows it.
inline constexpr TColorValue NoColor = 0x1FFFFFFF;

struct TNamedColor {
    QStringView name;
    TColorValue color;
};

struct TNamedSize {
    QStringView name;
    int size;
};

// Searched in this order, names ignoring letter case; the first match wins.
extern const std::array<TNamedColor, 18> BasicColorNames;
extern const std::array<TNamedColor, 147> ExtendedColorNames;
extern const std::array<TNamedSize, 7> FontSizeNames;

// Tried in the order given.
extern const QStringList PictureExtensions;
extern const QStringList MusicExtensions;
extern const QStringList SoundExtensions;

// "$BBGGRR" (or "$xxBBGGRR"), "0xRRGGBB" (or "0xRRGGBBxx") or a colour name.
// On failure `color` is left alone.
bool TryParseColor(QStringView text, TColorValue& color);
// Raises Exception "\"<text>\" is not a valid color value.".
TColorValue ParseColor(QStringView text);

// A name of FontSizeNames or an integer; no range check.
bool TryParseFontSize(QStringView text, int& size);
// Raises Exception "\"<text>\" is not a valid size value.".
int ParseFontSize(QStringView text);

// Milliseconds: "now" or the empty text is 0, otherwise any integer
// (callers treat 0 or less as "at once").
bool TryParseInterval(QStringView text, int& milliseconds);
// An integer in 0..255.
bool TryParseByte(QStringView text, int& value);
// "off" 0, "min" 1, "max" 255, or an integer in 0..255.
bool TryParseVolume(QStringView text, int& value);

// The first of base + "." + extension that exists as a file, letter case
// ignored in every path component and "\" accepted as a separator; the
// result is the file's real path. Empty when none exists.
QString FindFileWithExtension(const QString& basePath, const QStringList& extensions);

// The opaque device colour: alpha 255 in bits 24-31, then red, green, blue.
constexpr uint32_t ColorToD3D(TColorValue color)
{
    const uint32_t red = color & 0xFF;
    const uint32_t green = (color >> 8) & 0xFF;
    const uint32_t blue = (color >> 16) & 0xFF;
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}
