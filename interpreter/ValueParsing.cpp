#include "interpreter/ValueParsing.h"

#include "engine/Exceptions.h"
#include "engine/IntegerText.h"

bool TryParseIntOrBool(const QString& text, int32_t& value)
{
    if (text.compare(u"true", Qt::CaseInsensitive) == 0) {
        value = 1;
        return true;
    }
    if (text.compare(u"false", Qt::CaseInsensitive) == 0) {
        value = 0;
        return true;
    }
    return TryParseInteger(text, value);
}

int32_t ParseIntStrict(const QString& text)
{
    int32_t value = 0;
    if (!TryParseInteger(text, value))
        throw Exception(QStringLiteral("Cannot interpret integer value: \"") + text + QStringLiteral("\"."));
    return value;
}

int32_t WrappingAdd(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}

int32_t WrappingSubtract(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) - uint32_t(b));
}
