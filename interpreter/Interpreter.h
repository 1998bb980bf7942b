#pragma once

#include "engine/Clock.h"
#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"
#include "engine/ProductGlobals.h"
#include "interpreter/CommandCache.h"
#include "interpreter/DebugStepper.h"
#include "interpreter/DriverWaits.h"
#include "interpreter/InterpreterHost.h"
#include "interpreter/TextCommands.h"
#include "render/FontUtils.h"
#include "render/TextboxControl.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>

class TActorCommands;
class TBgControl;
class TCharManager;
class TCharacterLines;
class TChoiceCommands;
class TDxPicture;
class TImageManager;
class TPresentationCommands;
class TScreenButton;
class TScreenObjectMgr;
class TSelectionBox;
class TSoundPlayer;

// Keys the reader may press; the window maps its own key codes onto these.
enum class TReaderKey { Enter, Space, Up, Down, Other };

// A text the reader is shown: the speaker (empty for narration) and the
// text's plain characters.
using TTextShownHandler = std::function<void(const QString& speaker, const QString& text)>;

// The same text with where it came from, for the reader's history and the
// record of lines read. A text from a typed console command has no line.
struct TShownText {
    QString Speaker;
    QString Text;
    bool Heading = false;
    QString FileName;  // the script file of the line, without its folder
    QString LineText;  // the line as the script has it, before expansion
    bool HasLine() const { return !FileName.isEmpty(); }
};
using TTextPresentedHandler = std::function<void(const TShownText&)>;

// The long-lived objects the driver works on; the main window owns them.
struct TStoryParts {
    TKvtParser& Parser;
    TKvtVariables& Variables;
    TProductGlobals& Product;
    TCommandManager& Commands;
    TSoundPlayer& Sound;
    TFontManager& Fonts;
    TClock& Clock;
    TInterpreterHost& Host;
    TTextBox& TextBox;
    TTextCommands& Text;
    TImageManager& Images;
    TBgControl& Background;
    TSelectionBox& SelectionBox;
    TScreenObjectMgr& ScreenObjects;
    TDxPicture& MouseCursor;
    TPresentationCommands& Presentation;
    TChoiceCommands& Choices;
    TCharManager& Chars;
    TActorCommands& Cast;
    TCharacterLines& Speakers;
};

// The interpreter driver: runs script lines until one has to wait, owns the
// wait state and decides what ends each wait. The command handlers are
// members too, spread over one file per theme.
class TInterpreter : public TDriverWaits {
public:
    explicit TInterpreter(const TStoryParts& parts);

    // ---- driver
    void AdvanceFrame();
    void ExecuteUntilWait();
    void WaitInterval();
    void WaitSoundEnd();
    void ContinueAfterClick();
    void OpenScript(const QString& fileName);
    void JumpToLabel(const QString& name);
    void JumpToLine(int32_t line);
    void StopExecution() { Halted = true; }
    void ResetPresentation();
    void ResetSession();
    void ResetAll();
    void SetSoundWait(uint32_t ms, bool stopSoundAfterWait) override;

    // ---- tools
    void Restart();
    // The console line: a command runs without expansion and without a wait;
    // an empty line acts as a click.
    void RunConsoleCommand(const QString& text);
    void JumpFromTools(const QString& label);
    void JumpToCaretLine(int32_t line);
    // The labels list's double-click. A menu it leaves is hidden, and its
    // wait ends with it, so the story goes on from the label.
    void JumpFromLabelsList(const QString& label);

    // ---- reader input
    // Mouse points are in game-screen units. While the story waits for a
    // click or a button, presses and releases go to the screen objects
    // first (a press inside the shown text window excepted); moves
    // highlight choices while a menu waits.
    void HandleMouseDown(int x, int y);
    void HandleMouseUp(int x, int y);
    void HandleMouseMove(int x, int y);
    // A click that no screen object took: continues after text, or picks
    // the highlighted choice when it is the one clicked.
    void HandleClick(int x, int y);
    // A click without a place, as on the text window.
    void HandleTextWindowClick();
    // Enter and Space continue or pick the highlighted choice; Up and Down
    // move the highlight.
    void HandleKey(TReaderKey key, bool modifiers);
    // A screen button's click: jumps to its label while the story waits for
    // a click or a button.
    void ButtonClicked(TScreenButton& button);
    bool IsTyping() const { return textBox_.IsTyping(); }
    void CompleteTyping() { textBox_.CompleteTyping(); }
    // True while the story waits for the reader (a click, a choice, a button).
    bool WaitsForReader() const;
    // True when nothing more can run: halted, or past the last line with
    // nothing to wait for.
    bool IsFinished() const;
    // True while lines run without waiting for anything.
    bool IsRunning() const { return WaitState == WaitStates::Run && !IsFinished() && !stepper_.Paused(); }
    // True while a layer changes with time alone (text typing out, a pan, a
    // fade, an animated cursor), so frames must keep coming while the story
    // waits for the reader.
    bool LayersMoveWithTime() const;

    // ---- state the tools and the window read
    int32_t WaitState = WaitStates::Run;
    bool Halted = false;
    bool InTextBlock = false;
    uint32_t WaitRemaining = 0;
    bool StopSoundAfterWait = false;
    uint32_t LastFrameTick = 0;
    // Every main-loop pass runs lines for at most this long, so a script
    // that loops without waiting cannot freeze the window.
    uint32_t StepBudgetMs = 100;
    // Headless "--skip": every click wait is answered inside the step loop,
    // as long as the step budget lasts, without a pass of the main loop.
    bool AnswerClicksInStepLoop = false;

    // Breakpoints and stepping; while it holds the story, no line runs.
    TDebugStepper& Stepper() { return stepper_; }
    const TDebugStepper& Stepper() const { return stepper_; }

    const QString& Chapter() const { return chapter_; }
    const QString& Section() const { return section_; }
    const QString& Title() const { return title_; }

    // ---- saves and reloads
    // The driver as a save recorded it. A timed wait goes on for the time it
    // had left; a wait for a sound effect ends, since effects are not saved.
    void RestoreDriver(int32_t waitState, uint32_t waitRemaining, bool inTextBlock, bool halted);
    void RestoreMarkers(const QString& title, const QString& chapter, const QString& section);

    TTextShownHandler OnTextShown;
    TTextPresentedHandler OnTextPresented;
    // The chapter or section text changed.
    std::function<void()> OnMarkersChanged;

    // command handlers, one group per file; public so the command table can
    // name them
    CommandResult CmdReset(const TCmdData& cmd);
    CommandResult CmdExit(const TCmdData& cmd);
    CommandResult CmdWait(const TCmdData& cmd);
    CommandResult CmdWaitClk(const TCmdData& cmd);
    CommandResult CmdRepaint(const TCmdData& cmd);
    CommandResult UnknownCommand(const TCmdData& cmd);
    // variables and globals
    CommandResult CmdSet(const TCmdData& cmd);
    CommandResult CmdClear(const TCmdData& cmd);
    CommandResult CmdInc(const TCmdData& cmd);
    CommandResult CmdDec(const TCmdData& cmd);
    CommandResult CmdDefine(const TCmdData& cmd);
    CommandResult CmdUndef(const TCmdData& cmd);
    CommandResult CmdProduct(const TCmdData& cmd);
    CommandResult CmdClearGlobals(const TCmdData& cmd);
    CommandResult CmdClearLocals(const TCmdData& cmd);
    CommandResult CmdSaveGlobals(const TCmdData& cmd);
    CommandResult CmdLoadGlobals(const TCmdData& cmd);
    // conditions
    CommandResult CmdIfdef(const TCmdData& cmd);
    CommandResult CmdIfndef(const TCmdData& cmd);
    CommandResult CmdIf(const TCmdData& cmd);
    CommandResult CmdElseIf(const TCmdData& cmd);
    CommandResult CmdElse(const TCmdData& cmd);
    CommandResult CmdEndif(const TCmdData& cmd);
    // jumps and markers
    CommandResult CmdGoto(const TCmdData& cmd);
    CommandResult CmdCall(const TCmdData& cmd);
    CommandResult CmdReturn(const TCmdData& cmd);
    CommandResult CmdTitle(const TCmdData& cmd);
    CommandResult CmdChapter(const TCmdData& cmd);
    CommandResult CmdSection(const TCmdData& cmd);

    // ---- values shared by the handlers and the text markup
    // "%name%" and "%:n%" references and the escapes "\\" and "\%".
    QString ExpandReferences(const QString& text) const;
    QString ResolveReference(const QString& reference) const;
    int32_t EvaluateInt(const QString& text) const;
    bool EvaluateCondition(const QString& text) const;
    static bool IsBlockOpener(const TCmdData& cmd);
    static bool IsBlockCommand(const TCmdData& cmd);

private:

    // step loop pieces
    enum class TStep { Continue, Leave };
    TStep RunLine(int32_t index);
    bool AnswerClickAtOnce();
    TStep RunCommand(const TParsedCommand& parsed);
    TStep RunCharacterLine(const QString& line);
    TStep WaitForReader(const TTextBlock& shown);
    void BlockingWait(const std::function<bool()>& stillWaiting);
    void PresentText(const TTextBlock& block, bool heading = false);
    void DescribeSource(TShownText& shown) const;
    void NotifyMarkers();

    // reader input
    bool ScreenObjectsTakeInput() const;
    void ChooseHighlighted();
    bool ReaderHasNothingToPick() const;
    void Resume();

    // conditional blocks
    using TBlockStops = unsigned;
    static constexpr TBlockStops StopElse = 1, StopElseIf = 2, StopEndif = 4;
    int32_t FindBlockCommand(TBlockStops stops, int32_t start, TCmdData& found);
    int32_t ScanForBlockCommand(TBlockStops stops, int32_t start) const;
    static bool IsStop(const QString& name, TBlockStops stops);
    void SkipToLine(int32_t line);
    CommandResult ExecuteShortForm(const TCmdData& cmd, qsizetype index);
    bool ShortFormTestHolds(const QString& name, const QString& operand) const;
    CommandResult DefinedTest(const TCmdData& cmd, bool wantDefined);
    CommandResult SkipToEndif(const QString& what);
    CommandResult Increment(const TCmdData& cmd, bool up);

    TKvtParser& parser_;
    TKvtVariables& variables_;
    TProductGlobals& product_;
    TCommandManager& commands_;
    TSoundPlayer& sound_;
    TFontManager& fonts_;
    TClock& clock_;
    TInterpreterHost& host_;
    TTextBox& textBox_;
    TTextCommands& text_;
    TImageManager& images_;
    TBgControl& background_;
    TSelectionBox& selectionBox_;
    TScreenObjectMgr& screenObjects_;
    TDxPicture& mouseCursor_;
    TPresentationCommands& presentation_;
    TChoiceCommands& choices_;
    TCharManager& chars_;
    TActorCommands& cast_;
    TCharacterLines& speakers_;

    TDebugStepper stepper_;
    QString chapter_;
    QString section_;
    int32_t runningLine_ = -1;  // the script line the step loop runs, for OnTextPresented
    QString title_;
    // A restored timed wait, begun at the next line the driver would run.
    uint32_t resumedWaitMs_ = 0;
    TCommandCache commandCache_;
    QHash<quint64, int32_t> blockScanCache_;
    uint64_t blockScanGeneration_ = 0;
};
