#include "support/StoryFixture.h"

namespace {

class ConditionTest : public StoryFixture {
protected:
    // The result of a condition, or its error message.
    QString Eval(const QString& expression)
    {
        try {
            return story.EvaluateCondition(expression) ? QStringLiteral("true") : QStringLiteral("false");
        } catch (const Exception& e) {
            return e.Message();
        }
    }
};

} // namespace

TEST_F(ConditionTest, SingleOperandIsTrueOnlyWhenPositive)
{
    EXPECT_EQ(Eval("x"), "false");
    variables.SetStr("x", "-3");
    EXPECT_EQ(Eval("x"), "false");
    EXPECT_EQ(Eval("!x"), "true");
    variables.SetStr("x", "1");
    EXPECT_EQ(Eval("x"), "true");
    EXPECT_EQ(Eval("!!x"), "true");
    EXPECT_EQ(Eval("not x"), "false");
    EXPECT_EQ(Eval("not !x"), "true");
    EXPECT_EQ(Eval("TRUE"), "true");
    EXPECT_EQ(Eval("0x10 > 15"), "true");
}

TEST_F(ConditionTest, OperatorsWithAndWithoutBlanks)
{
    variables.SetInt("x", 1);
    for (const char* e : {"x=1", "x = 1", " x  =  1", "x<>2", "x!=2", "x<2", "x<=1", "x>0", "x>=1"})
        EXPECT_EQ(Eval(e), "true") << e;
    for (const char* e : {"x=2", "x<>1", "x!=1", "x<1", "x<=0", "x>1", "x>=2", "!x=1"})
        EXPECT_EQ(Eval(e), "false") << e;
}

TEST_F(ConditionTest, MalformedExpressionsNameTheirFault)
{
    EXPECT_EQ(Eval(""), "Illegal empty condition.");
    EXPECT_EQ(Eval("x==1"), "Illegal comparison operator in expression \"x==1\".");
    EXPECT_EQ(Eval("x=>1"), "Illegal comparison operator in expression \"x=>1\".");
    EXPECT_EQ(Eval("a ! b"), "Illegal comparison operator in expression \"a ! b\".");
    EXPECT_EQ(Eval("a b"), "Illegal syntax in expression \"a b\": too many variable name/value or comparison positions.");
    EXPECT_EQ(Eval("a = b c"), "Illegal syntax in expression \"a = b c\": too many variable name/value or comparison positions.");
    EXPECT_EQ(Eval("=1"), "Illegal syntax in expression \"=1\": variable name/value expected at position 1.");
    EXPECT_EQ(Eval("not"), "Illegal syntax in expression \"not\": variable name/value expected at position 1.");
    EXPECT_EQ(Eval("a<"), "Illegal syntax in expression \"a<\": variable name/value expected at position 2.");
    variables.SetStr("s", "ab");
    EXPECT_EQ(Eval("s > 1"), "'ab' is not a valid integer value");
}

TEST_F(ConditionTest, FalseBlockSkipsNestedBlocksToItsOwnElse)
{
    Open(":-\n@if 0\n@if 1\ninner-if\n@else\ninner-else\n@endif\n@if 1, set y\nskipped\n@else\nouter-else\n@endif\nafter\n-:\n");
    Frames(3);
    story.ContinueAfterClick();
    Frames(2);
    EXPECT_EQ(Shown, (QStringList{"outer-else", "after"}));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
}

TEST_F(ConditionTest, ElseIfChainRunsTheFirstTrueBranch)
{
    Open("@set c2, 1\n@if 0\n@set b, 1\n@elseif c1\n@set b, 2\n@elseif c2\n@set b, 3\n@else\n@set b, 4\n@endif\n@exit\n");
    Frame();
    EXPECT_EQ(variables.GetStr("b"), "3");
    EXPECT_EQ(host.CloseRequests, 1);  // the else after the branch skipped to the endif
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
}

TEST_F(ConditionTest, IfdefPassesOverElseIfAndShortFormsDispatch)
{
    Open("@ifdef nope\n@elseif 1\nhidden\n@else\n@ifndef nope, set seen, 5\n@endif\n@if seen = 5, goto done\nnot here\n#done\n");
    Frames(2);
    EXPECT_EQ(variables.GetStr("seen"), "5");
    EXPECT_TRUE(Shown.isEmpty());
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
}

TEST_F(ConditionTest, MissingEndifAndBlockCommandsInShortFormsFail)
{
    Open("@if 1, else\n@if 1, \"if x\"\n@else\n#x\n@if 0\n");
    Frames(4);
    EXPECT_EQ(Errors, (QStringList{"Short @if form does not support conditional block commands!",
                                   "Short @if form does not support conditional block commands!",
                                   "Cannot find @endif for @else at position story.kvt@3.",
                                   "Invalid \"if\". No @endif found."}));
}

TEST_F(ConditionTest, SkipInsideATextBlockStaysInIt)
{
    Open(":-\n@if 0\nhidden\n@endif\nshown\n-:\nAfter: done\n");
    Frames(2);
    story.ContinueAfterClick();
    Frames(2);
    EXPECT_EQ(Shown, (QStringList{"shown", "After: done"}));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
}

TEST_F(ConditionTest, ShortFormPassesTheRestAsParameters)
{
    Open("@if 1, set name, \"a, b\"\n@if 1, set  \"x y\", 3\n@if 1, inc\n");
    Frames(3);
    EXPECT_EQ(variables.GetStr("name"), "a, b");
    EXPECT_EQ(variables.GetStr("x y"), "3");
    EXPECT_FALSE(variables.Exists(""));
    EXPECT_EQ(Errors, QStringList{"Illegal \"inc\". No variable specified."});  // a bare name has no parameters
}

TEST_F(ConditionTest, BareCommandInShortFormRunsWithoutParameters)
{
    Open("@call sub\n:-\nback\n-:\n#sub\n@if 1, return\n:-\nnot returned\n-:\n");
    Frames(3);
    EXPECT_EQ(Shown, QStringList{"back"});
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
}

TEST_F(ConditionTest, DeeplyNestedShortFormsCostTheirLengthOnly)
{
    // Each level used to recurse and copy the rest of the line: a long
    // line ran out of stack.
    const int depth = 100000;
    Open("@" + QStringLiteral("if 1, ").repeated(depth) + "ifdef x, set deep, 1\n"
         + "@" + QStringLiteral("if 1, ").repeated(depth) + "ifndef x, set never, 1\n");
    variables.SetInt("x", 0);
    Frames(2);
    EXPECT_EQ(variables.GetStr("deep"), "1");
    EXPECT_FALSE(variables.Exists("never"));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
}
