#pragma once

// Typed parameters of commands: each reads the parameter at an index in the
// value syntax it names, or raises the command's "Invalid <what>" message.

#include "engine/CommandHandlers.h"
#include "render/TypeUtils.h"

#include <cstdint>

int32_t IntegerParam(const TCmdData& cmd, qsizetype i, const QString& what);
TColorValue ColorParam(const TCmdData& cmd, qsizetype i);
int FontSizeParam(const TCmdData& cmd, qsizetype i);
uint8_t AlphaParam(const TCmdData& cmd, qsizetype i);
// 0 when the command has no parameter at `i`.
int OptionalIntervalParam(const TCmdData& cmd, qsizetype i);

// The one value of "fontcolor", "twalpha" and the like, which must be given.
TColorValue RequiredColor(const TCmdData& cmd);
int RequiredFontSize(const TCmdData& cmd);
uint8_t RequiredAlpha(const TCmdData& cmd);
