#include "interpreter/Interpreter.h"

#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "audio/SoundPlayer.h"
#include "engine/Exceptions.h"
#include "interpreter/ActorCommands.h"
#include "interpreter/CharacterLines.h"
#include "interpreter/ChoiceCommands.h"
#include "interpreter/PresentationCommands.h"
#include "render/BgControl.h"
#include "render/RenderDevice.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

// Real elapsed time, independent of the story clock: a looping script must
// give the window control back even when the story runs on virtual time.
class TStepBudget {
public:
    explicit TStepBudget(uint32_t ms)
        : deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}
    bool Exhausted()
    {
        // Reading the clock costs more than a simple line; look now and then.
        if ((++lines_ & 0xFF) != 0)
            return false;
        return std::chrono::steady_clock::now() >= deadline_;
    }

private:
    std::chrono::steady_clock::time_point deadline_;
    uint32_t lines_ = 0;
};

} // namespace

TInterpreter::TInterpreter(const TStoryParts& parts)
    : parser_(parts.Parser),
      variables_(parts.Variables),
      product_(parts.Product),
      commands_(parts.Commands),
      sound_(parts.Sound),
      fonts_(parts.Fonts),
      clock_(parts.Clock),
      host_(parts.Host),
      textBox_(parts.TextBox),
      text_(parts.Text),
      images_(parts.Images),
      background_(parts.Background),
      selectionBox_(parts.SelectionBox),
      screenObjects_(parts.ScreenObjects),
      mouseCursor_(parts.MouseCursor),
      presentation_(parts.Presentation),
      choices_(parts.Choices),
      chars_(parts.Chars),
      cast_(parts.Cast),
      speakers_(parts.Speakers),
      stepper_(parser_, [this](const QString& message) { host_.Log(message); }),
      commandCache_(parser_, commands_)
{
    choices_.SetOnButtonClicked([this](TScreenButton& button) { ButtonClicked(button); });
}

// ---------------------------------------------------------------- frames

void TInterpreter::AdvanceFrame()
{
    const uint32_t now = clock_.TickCount();
    const uint32_t elapsed = LastFrameTick == 0 ? 0 : now - LastFrameTick;
    sound_.Update();  // fades first: a line may start new music this frame
    ExecuteUntilWait();
    // Every layer animates, whether or not an earlier one already asked for
    // a repaint.
    bool changed = background_.Update(elapsed);
    changed |= textBox_.Update(elapsed);
    changed |= screenObjects_.Update(now);
    changed |= chars_.Update(now);
    // A box just hidden still asks for the frame that takes it away.
    if (selectionBox_.Visible() || selectionBox_.VisibilityChanged())
        changed |= selectionBox_.Update(now);
    changed |= mouseCursor_.Update(now);
    if (changed)
        host_.Invalidate();
    LastFrameTick = now;
}

namespace {

// "chapters/opening.kvt" and "chapters\opening.kvt" alike name "opening.kvt".
QString WithoutFolder(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
}

bool Animated(const TDxPicture& picture)
{
    return picture.FrameCount() > 1;
}

} // namespace

bool TInterpreter::LayersMoveWithTime() const
{
    const bool selectionMoves = selectionBox_.Visible() && (Animated(selectionBox_.LeftCursor())
                                                            || Animated(selectionBox_.RightCursor()));
    return background_.IsAnimating() || Animated(background_.Picture()) || textBox_.ChangesWithTime()
        || chars_.IsAnimating() || selectionMoves || Animated(mouseCursor_);
}

void TInterpreter::ExecuteUntilWait()
{
    if (Halted || WaitState != WaitStates::Run || stepper_.Paused())
        return;
    parser_.BeginUpdate();
    try {
        TStepBudget budget(StepBudgetMs);
        while (parser_.Position >= 0 && parser_.Position < parser_.LineCount() && !budget.Exhausted()) {
            if (resumedWaitMs_ > 0) {
                WaitRemaining = std::exchange(resumedWaitMs_, 0);
                WaitState = WaitStates::Interval;
                WaitInterval();
                if (WaitState != WaitStates::Run)
                    break;
                continue;
            }
            const int32_t index = parser_.Position;
            if (stepper_.Armed() && stepper_.StopsBefore(index))
                break;
            parser_.NextLine();  // before running: a line that throws is not retried
            runningLine_ = index;
            if (RunLine(index) == TStep::Leave && !AnswerClickAtOnce())
                break;
        }
    } catch (...) {
        parser_.EndUpdate();
        throw;
    }
    parser_.EndUpdate();
    if (parser_.Position > parser_.LineCount())
        StopExecution();
}

// Nobody sees the frame a headless skip would show a text in, so the click
// it waits for is answered here rather than one main-loop pass later, which
// was most of the cost of skipping through a long story.
bool TInterpreter::AnswerClickAtOnce()
{
    if (!AnswerClicksInStepLoop || WaitState != WaitStates::Click)
        return false;
    if (IsTyping())
        CompleteTyping();
    WaitState = WaitStates::Run;
    return true;
}

TInterpreter::TStep TInterpreter::RunLine(int32_t index)
{
    if (const TParsedCommand* command = commandCache_.Find(index))
        return RunCommand(*command);
    if (parser_.LineIsEmpty(index) || parser_.LineStartsWith(index, QLatin1StringView("//"))
        || parser_.LineStartsWith(index, QLatin1StringView("#")))
        return TStep::Continue;
    if (parser_.LineStartsWith(index, QLatin1StringView("@")))
        return RunCommand(commandCache_.At(index));
    const QString line = parser_.Line(index);
    if (line == u":-") {
        if (InTextBlock)
            throw Exception(QStringLiteral("Illegal duplicate text block opener!"));
        text_.OpenTextBlock(false);
        InTextBlock = true;
        return TStep::Continue;
    }
    if (line == u"-:") {
        if (!InTextBlock)
            throw Exception(QStringLiteral("Illegal duplicate text block closer!"));
        InTextBlock = false;
        return TStep::Continue;
    }
    if (InTextBlock)
        return WaitForReader(text_.ShowText(line));
    return RunCharacterLine(line);
}

TInterpreter::TStep TInterpreter::RunCommand(const TParsedCommand& parsed)
{
    // Copies share their text; only expanded parameters are new strings, and
    // the copy outlives a handler that loads another script.
    TCmdData cmd = parsed.Data;
    const TCommandHandler& handler = *parsed.Handler;
    if (parsed.NeedsExpansion)
        for (QString& param : cmd.Params)
            param = ExpandReferences(param);
    WaitState = handler ? handler(cmd) : WaitStates::Run;
    switch (WaitState) {
    case WaitStates::Run:
        return TStep::Continue;
    // A load during the wait may leave the driver waiting for the reader.
    case WaitStates::Interval:
        WaitInterval();
        return WaitState == WaitStates::Run ? TStep::Continue : TStep::Leave;
    case WaitStates::SoundEnd:
        WaitSoundEnd();
        return WaitState == WaitStates::Run ? TStep::Continue : TStep::Leave;
    case WaitStates::Exit:
        host_.CloseMainWindow();
        return TStep::Leave;
    default:
        return TStep::Leave;
    }
}

TInterpreter::TStep TInterpreter::RunCharacterLine(const QString& line)
{
    const qsizetype marker = speakers_.ParseCharacterLine(line);
    if (line[marker] == u'.')
        return TStep::Continue;
    if (marker + 1 < line.size() && line[marker + 1] == u'-') {
        // Shown like the window of a plain ":-": the block's first line
        // must not type out into a hidden window.
        text_.OpenTextBlock(true);
        InTextBlock = true;
        return TStep::Continue;
    }
    return WaitForReader(text_.ShowSpeech(line.mid(marker + 1)));
}

TInterpreter::TStep TInterpreter::WaitForReader(const TTextBlock& shown)
{
    PresentText(shown);
    WaitState = WaitStates::Click;
    return TStep::Leave;
}

void TInterpreter::PresentText(const TTextBlock& block, bool heading)
{
    if (!OnTextShown && !OnTextPresented)
        return;
    TShownText shown;
    shown.Speaker = textBox_.HasName() ? textBox_.Name() : QString();
    shown.Text = TTextCommands::PlainText(block);
    shown.Heading = heading;
    if (OnTextShown)
        OnTextShown(shown.Speaker, shown.Text);
    if (OnTextPresented) {
        DescribeSource(shown);
        OnTextPresented(shown);
    }
}

void TInterpreter::DescribeSource(TShownText& shown) const
{
    if (runningLine_ < 0 || runningLine_ >= parser_.LineCount())
        return;
    if (const std::optional<TFileBlockHit> hit = parser_.FindFileBlock(runningLine_)) {
        shown.FileName = WithoutFolder(hit->Block->FileName);
        shown.LineText = parser_.Line(runningLine_);
    }
}

void TInterpreter::NotifyMarkers()
{
    if (OnMarkersChanged)
        OnMarkersChanged();
}

// ---------------------------------------------------------------- blocking waits

// Keeps frames running while a "wait" or "sound" blocks the step loop. Input
// that sets the wait state to 0 meanwhile lets the nested frames run lines.
void TInterpreter::BlockingWait(const std::function<bool()>& stillWaiting)
{
    // A wait that ends, normally or by an error, must not leave the driver
    // in a blocking state nothing would ever end.
    auto leaveBlockingState = [this] {
        if (WaitState == WaitStates::Interval || WaitState == WaitStates::SoundEnd)
            WaitState = WaitStates::Run;
    };
    try {
        uint32_t start = clock_.TickCount();
        while (WaitRemaining != 0 && stillWaiting()) {
            AdvanceFrame();
            host_.RenderFrame();
            host_.PumpMessages();
            clock_.Pause(10);
            const uint32_t now = clock_.TickCount();
            const uint32_t passed = now - start;
            if (passed < WaitRemaining) {
                WaitRemaining -= passed;
                start = now;
            } else {
                WaitRemaining = 0;
            }
        }
    } catch (...) {
        leaveBlockingState();
        throw;
    }
    leaveBlockingState();
}

void TInterpreter::WaitInterval()
{
    BlockingWait([] { return true; });
}

void TInterpreter::WaitSoundEnd()
{
    BlockingWait([this] { return sound_.IsSoundPlaying(); });
    if (StopSoundAfterWait)
        sound_.StopSound();
}

void TInterpreter::SetSoundWait(uint32_t ms, bool stopSoundAfterWait)
{
    WaitRemaining = ms;
    StopSoundAfterWait = stopSoundAfterWait;
}

// ---------------------------------------------------------------- saves

void TInterpreter::RestoreDriver(int32_t waitState, uint32_t waitRemaining, bool inTextBlock, bool halted)
{
    const bool timed = waitState == WaitStates::Interval && waitRemaining > 0;
    const bool forReader = waitState == WaitStates::Click || waitState == WaitStates::Choice
                           || waitState == WaitStates::Button;
    WaitState = forReader ? waitState : WaitStates::Run;
    resumedWaitMs_ = timed ? waitRemaining : 0;
    // A blocking wait the load happened in ends now; the restored one, if
    // any, begins afresh.
    WaitRemaining = 0;
    InTextBlock = inTextBlock;
    Halted = halted;
}

void TInterpreter::RestoreMarkers(const QString& title, const QString& chapter, const QString& section)
{
    title_ = title;
    if (!title.isEmpty())
        host_.SetTitle(title);
    chapter_ = chapter;
    section_ = section;
    NotifyMarkers();
}

// ---------------------------------------------------------------- jumps

void TInterpreter::JumpToLabel(const QString& name)
{
    const int32_t line = parser_.FindLabel(name);
    if (line < 0)
        throw Exception(QStringLiteral("Label not found: %1").arg(name));
    if (selectionBox_.Visible())
        choices_.HideMenu();
    InTextBlock = false;
    parser_.Position = line;
}

void TInterpreter::JumpToLine(int32_t line)
{
    if (line < parser_.LineCount()) {
        parser_.Position = line;
    } else {
        parser_.Position = int32_t(parser_.LineCount()) - 1;
        StopExecution();
    }
    InTextBlock = false;
}

// ---------------------------------------------------------------- resets and loading

void TInterpreter::ResetPresentation()
{
    Resume();
    presentation_.ResetPresentation();
    sound_.PlayMusic(QString(), 0, 0);
    sound_.PlayBgSound(QString(), false, 0);
    // "repaint off" must not outlive the story that said it.
    if (host_.RepaintSuspended())
        host_.ResumeRepaint();
}

void TInterpreter::ResetSession()
{
    ResetPresentation();
    variables_.ClearLocals();
    cast_.ResetStage();
    chapter_.clear();
    section_.clear();
    title_.clear();
    resumedWaitMs_ = 0;
    NotifyMarkers();
}

void TInterpreter::ResetAll()
{
    ResetSession();
    // Only a new script brings new fonts; Restart keeps the story's own.
    fonts_.UnloadFonts();
    try {
        product_.ClearProduct();
    } catch (const Exception& e) {
        // A globals file that cannot be written must not keep the next
        // story from loading; the product is forgotten either way.
        host_.Log(DescribeException(e));
    }
    variables_.ClearAll();
}

void TInterpreter::OpenScript(const QString& fileName)
{
    ResetAll();
    // A new script starts outside any text block and without the old one's
    // choices, whatever that left.
    InTextBlock = false;
    choices_.HideMenu();
    parser_.LoadScript(fileName);
    stepper_.ScriptReloaded();
    fonts_.LoadFonts(parser_.FontsFolder());
    // Before the images folder: a malformed "_images.code" is reported, but
    // the story it came with still runs.
    Halted = false;
    images_.SetFolder(parser_.ImagesFolder());
}

void TInterpreter::Restart()
{
    parser_.Rewind();
    stepper_.Reset();
    InTextBlock = false;
    choices_.HideMenu();
    ResetSession();
    Halted = false;
    WaitState = WaitStates::Run;
}

// ---------------------------------------------------------------- tools and input

void TInterpreter::RunConsoleCommand(const QString& text)
{
    if (text.isEmpty()) {
        ContinueAfterClick();
        return;
    }
    TCmdData cmd;
    ParseCommandLine(text, cmd);
    host_.Log(QStringLiteral(">> ") + text);
    runningLine_ = -1;  // what it shows comes from no line of the script
    // A typed command never starts or ends a wait.
    commands_.Dispatch(cmd);
}

void TInterpreter::JumpFromTools(const QString& label)
{
    if (label.isEmpty())
        return;
    JumpToLabel(label);
    WaitState = WaitStates::Run;
    Halted = false;
}

void TInterpreter::JumpFromLabelsList(const QString& label)
{
    JumpToLabel(label);
    if (WaitState == WaitStates::Choice)
        WaitState = WaitStates::Run;
}

void TInterpreter::JumpToCaretLine(int32_t line)
{
    parser_.Position = line;
    Resume();
    Halted = false;
}

// Also the console's empty line, whatever the story waits for.
void TInterpreter::ContinueAfterClick()
{
    if (IsTyping())
        CompleteTyping();
    else
        Resume();
}

// A menu whose wait ends without a pick must not stay on screen, where
// nothing could pick from it any more.
void TInterpreter::Resume()
{
    if (selectionBox_.Visible())
        choices_.HideMenu();
    WaitState = WaitStates::Run;
}

// ---------------------------------------------------------------- reader input

bool TInterpreter::ScreenObjectsTakeInput() const
{
    return WaitState == WaitStates::Click || WaitState == WaitStates::Button;
}

void TInterpreter::HandleMouseDown(int x, int y)
{
    const QPoint point(x, y);
    // The text window lies above the screen objects: a press on it is a
    // press on the text, whatever lies below.
    const bool onText = textBox_.Visible() && textBox_.Contains(point);
    if (ScreenObjectsTakeInput() && !onText && screenObjects_.MouseDown(point))
        return;
    HandleClick(x, y);
}

// A pressed button gets its release wherever it comes and whatever the
// story waits for meanwhile, or it would stay pressed.
void TInterpreter::HandleMouseUp(int x, int y)
{
    if (ScreenObjectsTakeInput() || screenObjects_.Captured())
        screenObjects_.MouseUp(QPoint(x, y));
}

void TInterpreter::HandleMouseMove(int x, int y)
{
    const QPoint point(x, y);
    if (WaitState == WaitStates::Choice) {
        // Off the choices the highlight stays where it was.
        if (const int item = selectionBox_.HitTest(point); item >= 0)
            selectionBox_.Select(item);
    } else if (ScreenObjectsTakeInput()) {
        screenObjects_.MouseMove(point);
    }
}

// The move highlights, the click confirms: a click on a choice that is not
// highlighted does nothing.
void TInterpreter::HandleClick(int x, int y)
{
    if (WaitState == WaitStates::Choice && selectionBox_.HasSelection()
        && selectionBox_.HitTest(QPoint(x, y)) == selectionBox_.Selected()) {
        ChooseHighlighted();
        return;
    }
    HandleTextWindowClick();
}

void TInterpreter::HandleTextWindowClick()
{
    if (WaitState == WaitStates::Click)
        ContinueAfterClick();
    else if (ReaderHasNothingToPick())
        Resume();
}

void TInterpreter::HandleKey(TReaderKey key, bool modifiers)
{
    if (modifiers)
        return;
    const bool confirm = key == TReaderKey::Enter || key == TReaderKey::Space;
    if (WaitState == WaitStates::Choice) {
        if (key == TReaderKey::Up)
            selectionBox_.SelectPrevious();
        else if (key == TReaderKey::Down)
            selectionBox_.SelectNext();
        else if (confirm && selectionBox_.HasSelection())
            ChooseHighlighted();
        else if (confirm && ReaderHasNothingToPick())
            Resume();
    } else if (confirm) {
        HandleTextWindowClick();
    }
}

// The label is looked up before anything changes: a missing one is
// reported and the menu stays, so the reader can pick another choice.
void TInterpreter::ChooseHighlighted()
{
    const std::optional<QString> target = choices_.HighlightedTarget();
    if (!target)
        return;
    JumpToLabel(*target);
    choices_.HideMenu();
    WaitState = WaitStates::Run;
}

void TInterpreter::ButtonClicked(TScreenButton& button)
{
    if (!ScreenObjectsTakeInput() || button.Target().isEmpty())
        return;
    const QString target = button.Target();
    JumpToLabel(target);  // a missing label changes nothing: the wait goes on
    WaitState = WaitStates::Run;
}

// An empty menu, or a wait for buttons none of which could be clicked
// (none with a label, none with a visible pixel on the game screen), would
// hold the story for good: a click or Enter goes on past it instead.
bool TInterpreter::ReaderHasNothingToPick() const
{
    if (WaitState == WaitStates::Choice)
        return selectionBox_.Count() == 0;
    if (WaitState == WaitStates::Button)
        return !screenObjects_.HasReachableButton({0, 0, GameScreenWidth, GameScreenHeight});
    return false;
}

bool TInterpreter::WaitsForReader() const
{
    return WaitState == WaitStates::Click || WaitState == WaitStates::Choice
           || WaitState == WaitStates::Button;
}

bool TInterpreter::IsFinished() const
{
    return Halted || (WaitState == WaitStates::Run && parser_.Position >= parser_.LineCount());
}
