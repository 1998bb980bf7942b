#include "interpreter/Interpreter.h"

#include "engine/Exceptions.h"

namespace {

bool IsOperandStop(QChar c)
{
    return c == u'\0' || c == u' ' || c == u'!' || c == u'<' || c == u'=' || c == u'>';
}

bool IsOperatorChar(QChar c)
{
    return c == u'!' || c == u'<' || c == u'=' || c == u'>';
}

enum class TComparison { Less, LessEqual, Equal, NotEqual, GreaterEqual, Greater };

bool Compare(int32_t a, TComparison op, int32_t b)
{
    switch (op) {
    case TComparison::Less: return a < b;
    case TComparison::LessEqual: return a <= b;
    case TComparison::Equal: return a == b;
    case TComparison::NotEqual: return a != b;
    case TComparison::GreaterEqual: return a >= b;
    case TComparison::Greater: return a > b;
    }
    return false;
}

// Reads one condition expression left to right; the names of its failures
// quote the whole expression.
class TConditionReader {
public:
    explicit TConditionReader(const QString& text) : text_(text) {}

    [[noreturn]] void Fail(const QString& what) const
    {
        throw Exception(QStringLiteral("Illegal ") + what.arg(QStringLiteral("\"") + text_ + u'"'));
    }
    [[noreturn]] void FailOperator() const { Fail(QStringLiteral("comparison operator in expression %1.")); }
    [[noreturn]] void FailSyntax(const QString& detail) const
    {
        Fail(QStringLiteral("syntax in expression %1: ") + detail);
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    QChar Peek(qsizetype ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : QChar();
    }
    void SkipBlanks()
    {
        while (!AtEnd() && text_[pos_] == u' ')
            ++pos_;
    }

    // Blanks and "!" before the first operand, and the word "not".
    QString ReadFirstOperand(bool& negated)
    {
        for (;;) {
            while (!AtEnd() && (Peek() == u' ' || Peek() == u'!')) {
                if (Peek() == u'!')
                    negated = !negated;
                ++pos_;
            }
            const QString operand = ReadOperandRun();
            if (operand == u"not" && !AtEnd() && (Peek() == u' ' || Peek() == u'!')) {
                negated = !negated;
                continue;
            }
            if (operand.isEmpty() || operand == u"not")
                FailSyntax(QStringLiteral("variable name/value expected at position 1."));
            return operand;
        }
    }

    TComparison ReadOperator()
    {
        const QChar c = Peek();
        const QChar next = Peek(1);
        if (!IsOperatorChar(c)) {
            // Another operand where an operator belongs.
            if (!IsOperandStop(c))
                FailSyntax(QStringLiteral("too many variable name/value or comparison positions."));
            FailSyntax(QStringLiteral("comparison operator expected."));
        }
        if (c == u'!') {
            if (next != u'=')
                FailOperator();
            pos_ += 2;
            return TComparison::NotEqual;
        }
        if (c == u'<') {
            pos_ += (next == u'=' || next == u'>') ? 2 : 1;
            return next == u'=' ? TComparison::LessEqual : next == u'>' ? TComparison::NotEqual : TComparison::Less;
        }
        if (c == u'>') {
            pos_ += next == u'=' ? 2 : 1;
            return next == u'=' ? TComparison::GreaterEqual : TComparison::Greater;
        }
        ++pos_;
        return TComparison::Equal;
    }

    QString ReadSecondOperand()
    {
        if (!AtEnd() && IsOperatorChar(Peek()))
            FailOperator();
        const QString operand = ReadOperandRun();
        if (operand.isEmpty())
            FailSyntax(QStringLiteral("variable name/value expected at position 2."));
        return operand;
    }

private:
    QString ReadOperandRun()
    {
        const qsizetype start = pos_;
        while (!AtEnd() && !IsOperandStop(text_[pos_]))
            ++pos_;
        return text_.mid(start, pos_ - start);
    }

    const QString& text_;
    qsizetype pos_ = 0;
};

bool IsConditionalName(const QString& name)
{
    return name.compare(u"if", Qt::CaseInsensitive) == 0 || name.compare(u"ifdef", Qt::CaseInsensitive) == 0
           || name.compare(u"ifndef", Qt::CaseInsensitive) == 0;
}

// The rest of a short form's command text after the name, leading blanks
// removed; null when the text is the name alone.
QString ShortFormFirstParam(const QString& head, qsizetype blank)
{
    if (blank < 0)
        return QString();
    qsizetype lead = blank + 1;
    while (lead < head.size() && head[lead] == u' ')
        ++lead;
    return head.mid(lead);
}

bool IsBlockOpenerName(const QString& name, qsizetype paramCount)
{
    return (IsConditionalName(name) && paramCount < 2) || name.compare(u"switch", Qt::CaseInsensitive) == 0;
}

bool IsEndif(const QString& name)
{
    return name.compare(u"endif", Qt::CaseInsensitive) == 0;
}

} // namespace

bool TInterpreter::EvaluateCondition(const QString& text) const
{
    if (text.isEmpty())
        throw Exception(QStringLiteral("Illegal empty condition."));
    TConditionReader reader(text);
    bool negated = false;
    const QString first = reader.ReadFirstOperand(negated);
    reader.SkipBlanks();
    if (reader.AtEnd())
        return (EvaluateInt(first) > 0) != negated;
    const TComparison op = reader.ReadOperator();
    reader.SkipBlanks();
    const QString second = reader.ReadSecondOperand();
    reader.SkipBlanks();
    if (!reader.AtEnd())
        reader.FailSyntax(QStringLiteral("too many variable name/value or comparison positions."));
    return Compare(EvaluateInt(first), op, EvaluateInt(second)) != negated;
}

bool TInterpreter::IsBlockOpener(const TCmdData& cmd)
{
    return IsBlockOpenerName(cmd.Name, cmd.Params.size());
}

bool TInterpreter::IsBlockCommand(const TCmdData& cmd)
{
    if (IsBlockOpener(cmd))
        return true;
    for (const char16_t* name : {u"endif", u"else", u"case", u"elseif"})
        if (cmd.Name.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Scans forward for the first command at nesting depth 1 named in `names`.
// The script never changes between loads, so each answer is remembered:
// skipping the same long branch again costs a lookup.
int32_t TInterpreter::FindBlockCommand(TBlockStops stops, int32_t start, TCmdData& found)
{
    if (blockScanGeneration_ != parser_.Generation()) {
        blockScanCache_.clear();
        blockScanGeneration_ = parser_.Generation();
    }
    const quint64 key = (quint64(uint32_t(start)) << 8) | quint64(stops);
    auto cached = blockScanCache_.constFind(key);
    const int32_t index = cached != blockScanCache_.constEnd() ? *cached : ScanForBlockCommand(stops, start);
    if (cached == blockScanCache_.constEnd())
        blockScanCache_.insert(key, index);
    if (index >= 0)
        ParseCommandLine(parser_.Line(index), found);
    return index;
}

int32_t TInterpreter::ScanForBlockCommand(TBlockStops stops, int32_t start) const
{
    int depth = 1;
    TCmdData cmd;
    for (qsizetype i = std::max<int32_t>(start, 0); depth > 0 && i < parser_.LineCount(); ++i) {
        if (!parser_.LineStartsWith(i, QLatin1StringView("@")))
            continue;
        ParseCommandLine(parser_.Line(i), cmd);
        if (depth == 1 && IsStop(cmd.Name, stops))
            return int32_t(i);
        if (IsBlockOpener(cmd))
            ++depth;
        else if (IsEndif(cmd.Name))
            --depth;
    }
    return -1;
}

bool TInterpreter::IsStop(const QString& name, TBlockStops stops)
{
    return ((stops & StopElse) && name.compare(u"else", Qt::CaseInsensitive) == 0)
           || ((stops & StopElseIf) && name.compare(u"elseif", Qt::CaseInsensitive) == 0)
           || ((stops & StopEndif) && IsEndif(name));
}

// A skip inside a text block stays in it: the branch's lines are text too.
void TInterpreter::SkipToLine(int32_t line)
{
    const bool inBlock = InTextBlock;
    JumpToLine(line);
    InTextBlock = inBlock;
}

// Nested short forms ("@if a, if b, goto x") are unwound in a loop over the
// one parameter list: going back through the registry would copy the list
// and grow the stack at every level, so a long line could exhaust both.
CommandResult TInterpreter::ExecuteShortForm(const TCmdData& cmd, qsizetype index)
{
    for (;; ++index) {
        const QString& head = cmd.Params[index];
        const qsizetype blank = head.indexOf(u' ');
        const QString name = blank < 0 ? head : head.left(blank);
        const bool last = index + 1 == cmd.Params.size();
        if (!last && IsConditionalName(name)) {
            if (!ShortFormTestHolds(name, UnquoteParam(ShortFormFirstParam(head, blank))))
                return WaitStates::Run;
            continue;
        }
        TCmdData inner;
        inner.Name = name;
        // A bare command name ("@if done, return") runs without parameters,
        // as it would on a line of its own; an empty first parameter would
        // name a label, variable or object "".
        if (blank >= 0 || !last) {
            inner.Params.append(UnquoteParam(ShortFormFirstParam(head, blank)));
            inner.Params.append(cmd.Params.mid(index + 1));
        }
        if (IsBlockCommand(inner))
            throw Exception(QStringLiteral("Short @if form does not support conditional block commands!"));
        return commands_.Dispatch(inner);
    }
}

bool TInterpreter::ShortFormTestHolds(const QString& name, const QString& operand) const
{
    if (name.compare(u"if", Qt::CaseInsensitive) == 0)
        return EvaluateCondition(operand);
    return variables_.Exists(operand) == (name.compare(u"ifdef", Qt::CaseInsensitive) == 0);
}

CommandResult TInterpreter::CmdIf(const TCmdData& cmd)
{
    RequireParamCount(cmd, 1);
    if (cmd.Params.size() >= 2)
        return EvaluateCondition(cmd.Params[0]) ? ExecuteShortForm(cmd, 1) : WaitStates::Run;
    if (EvaluateCondition(cmd.Params[0]))
        return WaitStates::Run;
    int32_t start = parser_.Position;
    for (;;) {
        TCmdData stop;
        const int32_t k = FindBlockCommand(StopElse | StopElseIf | StopEndif, start, stop);
        if (k < 0)
            RaiseInvalidCommand(cmd, QStringLiteral("No @endif found."));
        if (stop.Name.compare(u"elseif", Qt::CaseInsensitive) != 0) {
            SkipToLine(k + 1);
            return WaitStates::Run;
        }
        RequireParam(stop, QStringLiteral("condition"));
        if (EvaluateCondition(stop.Params[0])) {
            SkipToLine(k + 1);
            return WaitStates::Run;
        }
        start = k + 1;
    }
}

CommandResult TInterpreter::DefinedTest(const TCmdData& cmd, bool wantDefined)
{
    RequireParamCount(cmd, 1);
    const bool holds = variables_.Exists(cmd.Params[0]) == wantDefined;
    if (cmd.Params.size() >= 2)
        return holds ? ExecuteShortForm(cmd, 1) : WaitStates::Run;
    if (holds)
        return WaitStates::Run;
    TCmdData stop;
    const int32_t k = FindBlockCommand(StopElse | StopEndif, parser_.Position, stop);
    if (k < 0)
        RaiseInvalidCommand(cmd, QStringLiteral("No @endif found."));
    SkipToLine(k + 1);
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdIfdef(const TCmdData& cmd)
{
    return DefinedTest(cmd, true);
}

CommandResult TInterpreter::CmdIfndef(const TCmdData& cmd)
{
    return DefinedTest(cmd, false);
}

// "else" and "elseif" reached by running off the end of the branch before.
CommandResult TInterpreter::SkipToEndif(const QString& what)
{
    TCmdData stop;
    const int32_t k = FindBlockCommand(StopEndif, parser_.Position, stop);
    if (k < 0)
        throw Exception(QStringLiteral("Cannot find @endif for @") + what + QStringLiteral(" at position ")
                        + parser_.CurrentPositionText() + QStringLiteral("."));
    SkipToLine(k + 1);
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdElseIf(const TCmdData&)
{
    return SkipToEndif(QStringLiteral("elseif"));
}

CommandResult TInterpreter::CmdElse(const TCmdData&)
{
    return SkipToEndif(QStringLiteral("else"));
}

CommandResult TInterpreter::CmdEndif(const TCmdData&)
{
    return WaitStates::Run;
}
