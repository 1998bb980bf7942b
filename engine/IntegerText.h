#pragma once

#include <QStringView>

#include <cstdint>

// The one integer syntax of scripts and settings: optional leading blanks,
// an optional sign, then decimal digits, or hexadecimal digits after "$",
// "x" or "0x" (either letter case). Hexadecimal takes all 32 bits, so
// "$FFFFFFFF" is -1; a decimal value outside 32 bits is no integer.
bool TryParseInteger(QStringView text, int32_t& value);
