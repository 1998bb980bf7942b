#include "interpreter/References.h"

#include "engine/Exceptions.h"
#include "interpreter/Interpreter.h"
#include "interpreter/ValueParsing.h"

QString ResolveReference(const TKvtParser& parser, const TKvtVariables& variables, const QString& reference)
{
    if (reference.isEmpty())
        return {};
    if (reference.startsWith(u':'))
        return parser.GetCallParam(reference.mid(1));
    return variables.GetStr(reference);
}

QString TInterpreter::ResolveReference(const QString& reference) const
{
    return ::ResolveReference(parser_, variables_, reference);
}

QString TInterpreter::ExpandReferences(const QString& text) const
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    // Most parameters hold neither special character: hand them back as they are.
    while (i < n && text[i] != u'%' && text[i] != u'\\')
        ++i;
    if (i == n)
        return text;

    QString out = text.left(i);
    while (i < n) {
        const QChar c = text[i];
        if (c == u'%') {
            const qsizetype close = text.indexOf(u'%', i + 1);
            if (close < 0)
                throw Exception(QStringLiteral("Unterminated variable reference"));
            out += ResolveReference(text.mid(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == u'\\') {
            const QChar next = i + 1 < n ? text[i + 1] : QChar();
            if (next != u'\\' && next != u'%')
                throw Exception(QStringLiteral("Undefined escape sequence: \\") + (i + 1 < n ? QString(next) : QString())
                                + QStringLiteral("."));
            out += next;
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

int32_t TInterpreter::EvaluateInt(const QString& text) const
{
    int32_t value = 0;
    if (TryParseIntOrBool(text, value))
        return value;
    return variables_.GetInt(text);
}
