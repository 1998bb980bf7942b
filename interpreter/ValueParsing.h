#pragma once

#include <QString>

#include <cstdint>

// "true" is 1 and "false" is 0 (any letter case); otherwise the integer
// syntax of scripts.
bool TryParseIntOrBool(const QString& text, int32_t& value);

// The integer, or "Cannot interpret integer value: "<text>".".
int32_t ParseIntStrict(const QString& text);

// 32-bit two's-complement arithmetic, computed without signed overflow.
int32_t WrappingAdd(int32_t a, int32_t b);
int32_t WrappingSubtract(int32_t a, int32_t b);
