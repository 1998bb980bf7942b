#include "app/KvtParser_Form_Main.h"

#include "app/ConsolePane.h"
#include "app/DebuggerPanes.h"
#include "app/KvtApplication.h"
#include "app/ReaderControls.h"
#include "app/ScriptView.h"
#include "app/VariableEditing.h"
#include "engine/Exceptions.h"
#include "interpreter/CommandTable.h"
#include "render/widgets/StubPanel.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QBuffer>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <utility>

TForm_Main::TForm_Main(TGame& game, TClock& clock)
    : game_(game),
      clock_(clock),
      images_(clock_, [this](const QString& message) { Log(QStringLiteral("Images: ") + message); }),
      product_(variables_, [this](const QString& message) { Log(message); }),
      sound_(clock_, [this](const QString& message) { Log(message); }),
      fonts_([this](const QString& message) { Log(QStringLiteral("Font manager: ") + message); }),
      background_(clock_),
      textBox_(fonts_, clock_),
      selectionBox_(fonts_, clock_),
      historyOverlay_(fonts_),
      text_(textBox_, fonts_, parser_, variables_),
      render_(std::make_unique<TRenderDevice>(fonts_, clock_, MakeRenderCallbacks())),
      chars_(images_, clock_),
      missingFiles_([this](const QString& message) { Log(message); }),
      presentation_(MakePresentationParts()),
      choices_({selectionBox_, screenObjects_, images_, [this](const QString& message) { Log(message); }}),
      cast_(actors_, positions_, chars_, images_),
      speakers_(textBox_, actors_, positions_, chars_, [this](const QString& message) { Log(message); }),
      story_({parser_, variables_, product_, commands_, sound_, fonts_, clock_, *this, textBox_, text_, images_,
              background_, selectionBox_, screenObjects_, render_->MouseCursorPicture(), presentation_, choices_,
              chars_, cast_, speakers_}),
      audio_(sound_, parser_, missingFiles_, story_, [this](const QString& message) { Log(message); }),
      reader_(story_, product_, textBox_, sound_, clock_, [this](const QString& message) { Log(message); }),
      saves_({story_, clock_, parser_, variables_, product_, sound_, textBox_, images_, background_, selectionBox_,
              screenObjects_, render_->MouseCursorPicture(), [this](bool on) { render_->ShowMouseCursorPicture(on); },
              choices_, actors_, positions_, chars_, *this}),
      saveActions_(game, saves_, [this] { return ThumbnailPng(); })
{
    WireLayers();
    variables_.OnLog = [this](const QString& message) { Log(message); };
    setWindowTitle(QStringLiteral("KvtParser"));
    CreateWidgets();
    CreateActions();
    // The reader's history, skipping, auto-forward and preferences.
    readerControls_ = std::make_unique<TReaderControls>(
        *this, *viewport_, reader_, historyOverlay_, textBox_, [this] { render_->Invalidate(); },
        [this](QPoint point) { render_->SetMousePos(point); });
    readerControls_->AddActionsTo(*menuBar());
    if (!game_.Headless())
        reader_.Attach();
    // The area below the menu bar is the game screen, pixel for pixel, so a
    // present never has to scale the frame. Measured once the menus exist.
    resize(GameScreenWidth, GameScreenHeight + menuBar()->sizeHint().height());
    RegisterCommandTable(commands_, {&story_, &audio_, &presentation_, &cast_, &choices_});
    ApplyStartupSettings();
    WireToolsPanel();
    story_.ResetAll();
    // After the first reset: the chapter and section read "Unknown" until a
    // story sets or clears them.
    WireNotifications();
    pendingRefresh_ = PaneParts::All;
}

TForm_Main::~TForm_Main() = default;

void TForm_Main::WireLayers()
{
    render_->SetLayer(TLayerSlot::Background, &background_);
    render_->SetLayer(TLayerSlot::ScreenObjects, &screenObjects_);
    render_->SetLayer(TLayerSlot::Characters, &chars_);
    render_->SetLayer(TLayerSlot::TextWindow, &textBox_);
    render_->SetLayer(TLayerSlot::SelectionBox, &selectionBox_);
    render_->SetLayer(TLayerSlot::Overlay, &historyOverlay_);
    render_->SetBackgroundColor([this] { return background_.Color(); });
    render_->AddDeviceClient({[this](const std::shared_ptr<TDxDevice>& device) { images_.SetDevice(device); },
                              [this] { images_.DeviceReset(); }, [this] { images_.DeviceLost(); }});
    background_.SetViewSize(GameScreenWidth, GameScreenHeight);
    chars_.SetStageSize(GameScreenWidth, GameScreenHeight);
    selectionBox_.SetCenter(QPoint(GameScreenWidth / 2, GameScreenHeight / 2));
}

TPresentationParts TForm_Main::MakePresentationParts()
{
    return {background_, textBox_, selectionBox_, screenObjects_, render_->MouseCursorPicture(), chars_,
            [this](bool on) { render_->ShowMouseCursorPicture(on); }, fonts_, images_, parser_, missingFiles_,
            [this](const QString& message) { Log(message); }};
}

void TForm_Main::CreateWidgets()
{
    toolsSplitter_ = new QSplitter(Qt::Horizontal, this);
    toolsSplitter_->setObjectName(QStringLiteral("splTools"));
    editorSplitter_ = new QSplitter(Qt::Vertical, toolsSplitter_);
    editorSplitter_->setObjectName(QStringLiteral("pnlGame"));
    viewport_ = new TStubPanel(editorSplitter_);
    viewport_->setObjectName(QStringLiteral("pnlViewport"));
    viewport_->SetNoRepaint(true);
    viewport_->setMinimumSize(GameScreenWidth / 4, GameScreenHeight / 4);
    viewport_->setMouseTracking(true);
    // A click on the game takes the focus from the console, so keys reach
    // the story again.
    viewport_->setFocusPolicy(Qt::ClickFocus);
    viewport_->installEventFilter(this);
    editorSplitter_->addWidget(CreateEditorPane(editorSplitter_));
    editorSplitter_->setStretchFactor(0, 1);
    editorSplitter_->setChildrenCollapsible(false);

    tools_ = new TToolsPanel({parser_, variables_, actors_, positions_}, toolsSplitter_);
    tools_->hide();
    toolsSplitter_->setStretchFactor(0, 1);
    toolsSplitter_->setChildrenCollapsible(false);
    setCentralWidget(toolsSplitter_);
}

QWidget* TForm_Main::CreateEditorPane(QWidget* parent)
{
    editorTabs_ = new QTabWidget(parent);
    editorTabs_->setObjectName(QStringLiteral("pcEditor"));
    editorTabs_->setDocumentMode(true);
    scriptPage_ = new QWidget(editorTabs_);
    auto* scriptLayout = new QVBoxLayout(scriptPage_);
    scriptLayout->setContentsMargins(0, 0, 0, 0);
    scriptView_ = new TScriptView({[this] { return parser_.LineCount(); },
                                   [this](qsizetype line) { return parser_.Line(line); },
                                   [this](qsizetype line) { return story_.Stepper().HasBreakpoint(int32_t(line)); }},
                                  scriptPage_);
    scriptView_->OnGutterClicked = [this](qsizetype line) { ToggleBreakpoint(line); };
    scriptLayout->addWidget(scriptView_);
    scriptPopup_ = new QMenu(this);
    QAction* jump = scriptPopup_->addAction(QStringLiteral("Jump"));
    connect(jump, &QAction::triggered, this, [this] { game_.Guard([this] { Jump1Click(); }); });
    scriptView_->SetPopupMenu(scriptPopup_);

    consolePage_ = new TConsolePane(editorTabs_);
    consolePage_->OnCommand = [this](const QString& text) {
        bool ran = false;
        game_.Guard([&] {
            edtCommandKeyPress(text);
            ran = true;
        });
        return ran;
    };

    editorTabs_->addTab(scriptPage_, QStringLiteral("Script"));
    editorTabs_->addTab(consolePage_, QStringLiteral("Console"));
    editorTabs_->setTabVisible(0, false);
    editorTabs_->setTabVisible(1, false);
    editorTabs_->hide();
    return editorTabs_;
}

QAction* TForm_Main::AddAction(QMenu* menu, const QString& caption, void (TForm_Main::*handler)())
{
    QAction* action = menu->addAction(caption);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { game_.Guard([this, handler] { (this->*handler)(); }); });
    return action;
}

// Qt flips a checkable action's state before its handler runs.
QAction* TForm_Main::AddToggle(QMenu* menu, const QString& caption, void (TForm_Main::*handler)())
{
    QAction* action = AddAction(menu, caption, handler);
    action->setCheckable(true);
    return action;
}

// Every menu and its items, in menu order, in this one place.
void TForm_Main::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    actions_.Load = AddAction(file, QStringLiteral("Load script"), &TForm_Main::actLoadExecute);
    actions_.Dependencies = AddAction(file, QStringLiteral("Dependencies"), &TForm_Main::actDependenciesExecute);
    saveActions_.AddTo(*file, *this, game_.DebugMode());
    file->addSeparator();
    actions_.Fullscreen = AddToggle(file, QStringLiteral("Fullscreen"), &TForm_Main::actFullscreenExecute);
    actions_.Fullscreen->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    file->addSeparator();
    actions_.Exit = AddAction(file, QStringLiteral("Exit"), nullptr);
    connect(actions_.Exit, &QAction::triggered, this, [this] { close(); });

    QMenu* settings = menuBar()->addMenu(QStringLiteral("Settings"));
    actions_.ShowScript = AddToggle(settings, QStringLiteral("Show Script"), &TForm_Main::actShowScriptExecute);
    actions_.ShowConsole = AddToggle(settings, QStringLiteral("Console"), &TForm_Main::actShowConsoleExecute);
    actions_.ShowTools = AddToggle(settings, QStringLiteral("Tools"), &TForm_Main::actShowToolsExecute);
    settings->addSeparator();
    // Missing asset files are only logged unless the author turns this off;
    // readers, who never see the menu, always have it on.
    actions_.SkipMissingFiles = AddToggle(settings, QStringLiteral("Skip Missing Files"), nullptr);
    actions_.SkipMissingFiles->setChecked(missingFiles_.SkipMissingFiles);
    connect(actions_.SkipMissingFiles, &QAction::toggled, this, [this](bool on) { missingFiles_.SkipMissingFiles = on; });

    QMenu* gameMenu = menuBar()->addMenu(QStringLiteral("Game"));
    actions_.FlowRestart = AddAction(gameMenu, QStringLiteral("Restart"), &TForm_Main::actFlowRestartExecute);
    actions_.Next = AddAction(gameMenu, QStringLiteral("Next"), nullptr);  // does nothing, as it always did
    actions_.FlowJumpTo = AddAction(gameMenu, QStringLiteral("Jump To..."), &TForm_Main::actFlowJumpToExecute);

    QMenu* debug = menuBar()->addMenu(QStringLiteral("Debug"));
    actions_.Continue = AddAction(debug, QStringLiteral("Continue"), &TForm_Main::actContinueExecute);
    actions_.Continue->setShortcut(QKeySequence(Qt::Key_F5));
    actions_.Step = AddAction(debug, QStringLiteral("Step"), &TForm_Main::actStepExecute);
    actions_.Step->setShortcut(QKeySequence(Qt::Key_F10));
    actions_.StepInto = AddAction(debug, QStringLiteral("Step Into"), &TForm_Main::actStepIntoExecute);
    actions_.StepInto->setShortcut(QKeySequence(Qt::Key_F11));
    actions_.StepOut = AddAction(debug, QStringLiteral("Step Out"), &TForm_Main::actStepOutExecute);
    actions_.StepOut->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F11));
    debug->addSeparator();
    actions_.ToggleBreakpoint = AddAction(debug, QStringLiteral("Toggle Breakpoint"), &TForm_Main::actToggleBreakpointExecute);
    actions_.ToggleBreakpoint->setShortcut(QKeySequence(Qt::Key_F9));

    // Readers see the game and its way out; the author's tools need "Debug".
    const bool debugMode = game_.DebugMode();
    for (QAction* action : {actions_.ShowScript, actions_.ShowConsole, actions_.ShowTools, actions_.SkipMissingFiles,
                            actions_.FlowJumpTo, actions_.Load, actions_.Dependencies})
        action->setVisible(debugMode);
    settings->menuAction()->setVisible(debugMode);
    debug->menuAction()->setVisible(debugMode);
    // Nothing stops a reader's story, whatever keys are pressed.
    for (QAction* action : debug->actions())
        action->setEnabled(debugMode);
}

// Full screen hides the menu, and Qt ignores shortcuts whose widgets are
// all hidden: the window itself keeps the ways back and the stepping keys.
void TForm_Main::CreateActions()
{
    CreateMenus();
    addAction(actions_.Fullscreen);
    if (game_.DebugMode())
        for (QAction* action : {actions_.Continue, actions_.Step, actions_.StepInto, actions_.StepOut,
                                actions_.ToggleBreakpoint})
            addAction(action);
}

TRenderCallbacks TForm_Main::MakeRenderCallbacks()
{
    TRenderCallbacks callbacks;
    callbacks.log = [this](const QString& message) { Log(message); };
    callbacks.requestTerminate = [this] { game_.RequestTerminate(); };
    callbacks.showMessage = [this](const QString& caption, const QString& text) {
        game_.ShowMessage(caption, text);
    };
    callbacks.applyWindowMode = [this](bool fullscreen) { ApplyWindowMode(fullscreen); };
    callbacks.setCursorHidden = [this](bool hidden) {
        for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(viewport_)}) {
            if (hidden)
                widget->setCursor(Qt::BlankCursor);
            else
                widget->unsetCursor();
        }
    };
    callbacks.presented = [this](const QImage& frame) { viewport_->SetFrame(frame); };
    return callbacks;
}

void TForm_Main::CreateDevice()
{
    render_->CreateDevice(game_.GetBoolOption(QStringLiteral("Fullscreen"), false));
}

void TForm_Main::ReleaseDevice()
{
    render_->ReleaseDevice();
}

void TForm_Main::ApplyWindowMode(bool fullscreen)
{
    // Full screen is the game alone: no menu, editor pane or tools.
    actions_.Fullscreen->setChecked(fullscreen);
    menuBar()->setVisible(!fullscreen);
    tools_->setVisible(!fullscreen && actions_.ShowTools->isChecked());
    UpdateEditorPane();
    viewport_->SetKeepAspect(fullscreen);
    // Before start-up shows the window, the mode is only remembered.
    if (!isVisible())
        return;
    if (fullscreen) {
        showFullScreen();
    } else if (isFullScreen()) {
        showNormal();
        FitViewportToGameScreen();
    }
}

void TForm_Main::ShowMainWindow()
{
    if (render_->Fullscreen()) {
        showFullScreen();
        return;
    }
    showNormal();
    FitViewportToGameScreen();
}

// The menu bar and frame take their size only once the window is laid out,
// so the window grows by whatever the viewport still lacks. A second round
// settles a splitter that shares the difference with the editor pane.
void TForm_Main::FitViewportToGameScreen()
{
    const QSize gameScreen(GameScreenWidth, GameScreenHeight);
    for (int round = 0; round < 2 && viewport_->size() != gameScreen; ++round)
        resize(size() + gameScreen - viewport_->size());
    if (tools_->isVisible() || editorTabs_->isVisible())
        KeepWorkbenchOnScreen();
}

// The workbench's panes come on top of the game screen; on a screen too
// small for both, the viewport gives way and the frame is stretched into it,
// rather than the panes reaching past the screen's edge.
void TForm_Main::KeepWorkbenchOnScreen()
{
    const QRect available = screen()->availableGeometry();
    QSize frame = frameGeometry().size() - size();
    // Before the window manager has framed the window, its frame is unknown:
    // allow for a title bar and borders of the usual size.
    if (frame.isNull()) {
        const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        frame = QSize(2 * border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
    }
    const QSize fits = size().boundedTo(available.size() - frame);
    if (fits == size())
        return;
    resize(fits);
    move(available.topLeft());
}

void TForm_Main::actFullscreenExecute()
{
    render_->SetFullscreen(actions_.Fullscreen->isChecked());
}

void TForm_Main::SaveScreenshot(const QString& fileName)
{
    if (!render_->SaveScreenshot(fileName))
        throw Exception(QStringLiteral("Cannot write screenshot \"%1\".").arg(fileName));
}

// The game screen as it is now, small, for a save slot's picture.
QByteArray TForm_Main::ThumbnailPng()
{
    const QImage frame = render_->GrabFrame();
    if (frame.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    frame.scaled(256, 192, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(&buffer, "PNG");
    return png;
}

void TForm_Main::ApplyStartupSettings()
{
    render_->SetDisplayFps(game_.GetBoolOption(QStringLiteral("DisplayFps"), false));
    // Readers' settings files may carry anything under these keys: they are
    // not even read without "Debug".
    if (game_.DebugMode()) {
        actions_.ShowTools->setChecked(game_.GetBoolOption(QStringLiteral("ShowToolsOnStartup"), false));
        actions_.ShowConsole->setChecked(game_.GetBoolOption(QStringLiteral("ShowConsoleOnStartup"), false));
        actions_.ShowScript->setChecked(game_.GetBoolOption(QStringLiteral("ShowScriptOnStartup"), false));
    }
    tools_->setVisible(actions_.ShowTools->isChecked());
    editorTabs_->setTabVisible(editorTabs_->indexOf(scriptPage_), actions_.ShowScript->isChecked());
    editorTabs_->setTabVisible(editorTabs_->indexOf(consolePage_), actions_.ShowConsole->isChecked());
    editorTabs_->setCurrentWidget(actions_.ShowScript->isChecked() ? scriptPage_ : consolePage_);
    UpdateEditorPane();
    const int32_t scramble = game_.GetIntOption(QStringLiteral("Scramble"), 0);
    parser_.ScrambleKey = uint8_t(scramble & 0xFF);
    if (parser_.ScrambleKey != 0)
        Log(QStringLiteral("Scrambling @ ") + QString::number(parser_.ScrambleKey));
}

void TForm_Main::AdvanceFrame()
{
    // However the frame ends, the panes show what it changed.
    try {
        story_.AdvanceFrame();
        reader_.SyncProduct();
        if (reader_.Step())
            render_->Invalidate();
    } catch (...) {
        FlushPaneRefresh();
        throw;
    }
    FlushPaneRefresh();
}

void TForm_Main::RenderFrame()
{
    // The frame-time line changes every frame, so it keeps frames coming.
    if (!renderOnDemandOnly_ && (render_->FrameNeeded() || render_->DisplayFps()))
        render_->RenderFrame();
}

void TForm_Main::PumpMessages()
{
    // A blocking "wait" pumps from inside its line: the panes follow it too.
    FlushPaneRefresh();
    game_.PumpMessages();
}

void TForm_Main::Log(const QString& message)
{
    game_.Log(message);
}

void TForm_Main::AppendConsoleLine(const QString& line)
{
    consolePage_->AppendLine(line);
}

void TForm_Main::CloseMainWindow()
{
    // The program's end saves the globals, whichever way it comes.
    story_.WaitRemaining = 0;
    game_.RequestTerminate();
}

void TForm_Main::SaveGlobalsOnExit()
{
    reader_.Save();
    if (product_.HasProduct())
        product_.SaveGlobals();
}

void TForm_Main::SetTitle(const QString& title)
{
    // The window's caption is also what the desktop shows for the program;
    // an application display name would be glued onto every dialog's caption.
    setWindowTitle(title);
}

void TForm_Main::closeEvent(QCloseEvent* event)
{
    story_.WaitRemaining = 0;
    game_.RequestTerminate();
    event->accept();
}

// Typing in the console or any other text box is never a reader's key.
bool TForm_Main::TextInputHasFocus() const
{
    QWidget* focus = focusWidget();  // the window's own, active or not
    return qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus)
           || qobject_cast<QTextEdit*>(focus) || qobject_cast<QAbstractSpinBox*>(focus);
}

void TForm_Main::keyPressEvent(QKeyEvent* event)
{
    const bool modifiers = (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier;
    TReaderKey key = TReaderKey::Other;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: key = TReaderKey::Enter; break;
    case Qt::Key_Space: key = TReaderKey::Space; break;
    case Qt::Key_Up: key = TReaderKey::Up; break;
    case Qt::Key_Down: key = TReaderKey::Down; break;
    default: QMainWindow::keyPressEvent(event); return;
    }
    if (TextInputHasFocus())
        return;
    game_.Guard([&] { story_.HandleKey(key, modifiers); });
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != viewport_)
        return QMainWindow::eventFilter(watched, event);
    auto point = [event] { return static_cast<QMouseEvent*>(event)->position().toPoint(); };
    switch (event->type()) {
    case QEvent::Resize:
        render_->SetViewportSize(viewport_->size(), viewport_->devicePixelRatioF());
        break;
    case QEvent::MouseMove:
        pbViewportMouseMove(point());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // the second press of a double click is a press too
        pbViewportMouseDown(point());
        return true;
    case QEvent::MouseButtonRelease:
        pbViewportMouseUp(point());
        return true;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// In a window, presses that reach the window itself fell on a splitter, a
// tab or a caption strip, and must not advance the story; only in full
// screen is the whole window the game.
bool TForm_Main::WindowMouseCounts(QMouseEvent* event, QPoint& point) const
{
    if (!isFullScreen())
        return false;
    point = viewport_->mapFrom(this, event->position().toPoint());
    return true;
}

void TForm_Main::mousePressEvent(QMouseEvent* event)
{
    if (QPoint point; WindowMouseCounts(event, point))
        pbViewportMouseDown(point);
}

void TForm_Main::mouseMoveEvent(QMouseEvent* event)
{
    if (QPoint point; WindowMouseCounts(event, point))
        pbViewportMouseMove(point);
}

void TForm_Main::mouseReleaseEvent(QMouseEvent* event)
{
    if (QPoint point; WindowMouseCounts(event, point))
        pbViewportMouseUp(point);
}

void TForm_Main::pbViewportMouseDown(QPoint point)
{
    render_->SetMousePos(point);
    const QPoint game = render_->ViewportToGame(point);
    game_.Guard([&] { story_.HandleMouseDown(game.x(), game.y()); });
}

void TForm_Main::pbViewportMouseMove(QPoint point)
{
    // The position is stored before anything else looks at the move.
    render_->SetMousePos(point);
    const QPoint game = render_->ViewportToGame(point);
    game_.Guard([&] { story_.HandleMouseMove(game.x(), game.y()); });
}

void TForm_Main::pbViewportMouseUp(QPoint point)
{
    const QPoint game = render_->ViewportToGame(point);
    game_.Guard([&] { story_.HandleMouseUp(game.x(), game.y()); });
}

void TForm_Main::actLoadExecute()
{
    std::optional<QString> file;
    game_.RunModal([&] { file = game_.Dialogs().OpenScriptFile(); });
    if (!file)
        return;
    Log(QStringLiteral("Loading %1...").arg(*file));
    try {
        story_.OpenScript(*file);
        Log(QStringLiteral("Script loaded."));
    } catch (const std::exception& e) {
        const QString described = DescribeException(e);
        const qsizetype colon = described.indexOf(QStringLiteral(": "));
        Log(QStringLiteral("Failed, %1: %2.").arg(described.left(colon), described.mid(colon + 2)));
    }
}

void TForm_Main::actDependenciesExecute()
{
    game_.RunModal([this] { game_.Dialogs().ShowDependencies(parser_); });
}

void TForm_Main::actFlowRestartExecute()
{
    story_.Restart();
}

void TForm_Main::actFlowJumpToExecute()
{
    std::optional<QString> label;
    game_.RunModal([&] { label = game_.Dialogs().InputBox(QStringLiteral("Jump To..."), QStringLiteral("Enter label name:")); });
    if (label)
        story_.JumpFromTools(*label);
}

void TForm_Main::edtCommandKeyPress(const QString& text)
{
    story_.RunConsoleCommand(text);
}

// ---------------------------------------------------------------- author's panes

void TForm_Main::WireNotifications()
{
    auto mark = [this](unsigned part) { return [this, part] { pendingRefresh_ |= part; }; };
    parser_.OnLinesChanged = mark(PaneParts::Lines);
    parser_.OnStackChanged = mark(PaneParts::Stack);
    parser_.OnPositionChanged = mark(PaneParts::Position);
    variables_.OnChanged = mark(PaneParts::Variables);
    actors_.SetOnChange([this](const TActorManager&) { pendingRefresh_ |= PaneParts::Actors; });
    positions_.SetOnChange([this](const TPositionManager&) { pendingRefresh_ |= PaneParts::Positions; });
    story_.OnMarkersChanged = [this] {
        tools_->SetChapter(story_.Chapter());
        tools_->SetSection(story_.Section());
    };
    // A stop is shown at once, not at the next frame's end.
    story_.Stepper().OnPausedChanged = [this] {
        pendingRefresh_ |= PaneParts::Position;
        FlushPaneRefresh();
    };
}

void TForm_Main::WireToolsPanel()
{
    tools_->OnLabelDoubleClicked = [this](const QString& label) { game_.Guard([&] { lbLabelsDblClick(label); }); };
    tools_->OnAddVariable = [this] {
        game_.Guard([this] { game_.RunModal([this] { AddVariableThroughDialog(game_.Dialogs(), variables_); }); });
    };
    tools_->OnEditVariable = [this](int index) {
        game_.Guard([&] { game_.RunModal([&] { EditVariableThroughDialog(game_.Dialogs(), variables_, index); }); });
    };
    tools_->OnDeleteVariable = [this](int index) { game_.Guard([&] { variables_.Delete(index); }); };
}

// A hidden pane is left alone; showing it rebuilds it whole.
void TForm_Main::FlushPaneRefresh()
{
    const unsigned due = std::exchange(pendingRefresh_, 0);
    if (due == 0)
        return;
    if (actions_.ShowScript->isChecked()) {
        if (due & PaneParts::Lines)
            RefreshScriptView();
        if (due & (PaneParts::Lines | PaneParts::Position))
            ShowCurrentLine();
    }
    if (actions_.ShowTools->isChecked())
        tools_->Refresh(due);
}

void TForm_Main::UpdateEditorPane()
{
    const bool anyPage = editorTabs_->isTabVisible(editorTabs_->indexOf(scriptPage_))
                         || editorTabs_->isTabVisible(editorTabs_->indexOf(consolePage_));
    editorTabs_->setVisible(anyPage && !actions_.Fullscreen->isChecked());
}

void TForm_Main::actShowScriptExecute()
{
    const bool on = actions_.ShowScript->isChecked();
    editorTabs_->setTabVisible(editorTabs_->indexOf(scriptPage_), on);
    UpdateEditorPane();
    if (on) {
        editorTabs_->setCurrentWidget(scriptPage_);
        RefreshScriptView();
        ShowCurrentLine();
    }
}

void TForm_Main::actShowConsoleExecute()
{
    const bool on = actions_.ShowConsole->isChecked();
    editorTabs_->setTabVisible(editorTabs_->indexOf(consolePage_), on);
    UpdateEditorPane();
    if (on)
        editorTabs_->setCurrentWidget(consolePage_);
}

void TForm_Main::actShowToolsExecute()
{
    const bool on = actions_.ShowTools->isChecked();
    tools_->setVisible(on && !actions_.Fullscreen->isChecked());
    if (on)
        tools_->RefreshTools();
}

void TForm_Main::RefreshScriptView()
{
    scriptView_->Refresh();
}

void TForm_Main::ShowCurrentLine()
{
    scriptView_->ShowCurrentLine(parser_.Position);
}

void TForm_Main::Jump1Click()
{
    if (scriptView_->isVisible())
        story_.JumpToCaretLine(int32_t(scriptView_->CaretLine()));
}

void TForm_Main::lbLabelsDblClick(const QString& label)
{
    story_.JumpFromLabelsList(label);
}

void TForm_Main::ToggleBreakpoint(qsizetype line)
{
    story_.Stepper().ToggleBreakpoint(int32_t(line));
    scriptView_->viewport()->update();
}

void TForm_Main::actToggleBreakpointExecute()
{
    ToggleBreakpoint(scriptView_->CaretLine());
}

void TForm_Main::actContinueExecute()
{
    story_.Stepper().Continue();
}

void TForm_Main::actStepExecute()
{
    story_.Stepper().Step();
}

void TForm_Main::actStepIntoExecute()
{
    story_.Stepper().StepInto();
}

void TForm_Main::actStepOutExecute()
{
    story_.Stepper().StepOut();
}
