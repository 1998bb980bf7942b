#include "app/KvtParser_Form_Main.h"

#include "app/KvtApplication.h"
#include "engine/Exceptions.h"
#include "interpreter/CommandTable.h"
#include "render/widgets/StubPanel.h"

#include <QAction>
#include <QBuffer>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>

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
    // The area below the menu bar is the game screen, pixel for pixel, so a
    // present never has to scale the frame. Measured once the menus exist.
    resize(GameScreenWidth, GameScreenHeight + menuBar()->sizeHint().height());
    RegisterCommandTable(commands_, {&story_, &audio_, &presentation_, &cast_, &choices_});
    ApplyStartupSettings();
    story_.ResetAll();
}

TForm_Main::~TForm_Main() = default;

void TForm_Main::WireLayers()
{
    render_->SetLayer(TLayerSlot::Background, &background_);
    render_->SetLayer(TLayerSlot::ScreenObjects, &screenObjects_);
    render_->SetLayer(TLayerSlot::Characters, &chars_);
    render_->SetLayer(TLayerSlot::TextWindow, &textBox_);
    render_->SetLayer(TLayerSlot::SelectionBox, &selectionBox_);
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
    auto* splitter = new QSplitter(Qt::Vertical, this);
    viewport_ = new TStubPanel(splitter);
    viewport_->setObjectName(QStringLiteral("pnlViewport"));
    viewport_->SetNoRepaint(true);
    viewport_->setMinimumSize(GameScreenWidth / 4, GameScreenHeight / 4);
    viewport_->setMouseTracking(true);
    viewport_->installEventFilter(this);

    editorTabs_ = new QTabWidget(splitter);
    auto* consolePage = new QWidget(editorTabs_);
    auto* layout = new QVBoxLayout(consolePage);
    layout->setContentsMargins(0, 0, 0, 0);
    console_ = new QPlainTextEdit(consolePage);
    console_->setReadOnly(true);
    console_->installEventFilter(this);
    commandEdit_ = new QLineEdit(consolePage);
    layout->addWidget(console_);
    layout->addWidget(commandEdit_);
    editorTabs_->addTab(consolePage, QStringLiteral("Console"));
    editorTabs_->hide();
    connect(commandEdit_, &QLineEdit::returnPressed, this, [this] { game_.Guard([this] { edtCommandKeyPress(); }); });

    splitter->setStretchFactor(0, 3);
    setCentralWidget(splitter);
}

void TForm_Main::CreateActions()
{
    const bool debug = game_.DebugMode();
    auto guarded = [this](void (TForm_Main::*method)()) {
        return [this, method] { game_.Guard([this, method] { (this->*method)(); }); };
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    QAction* load = file->addAction(QStringLiteral("Load script"));
    load->setVisible(debug);
    connect(load, &QAction::triggered, this, guarded(&TForm_Main::actLoadExecute));
    QAction* dependencies = file->addAction(QStringLiteral("Dependencies"));
    dependencies->setVisible(debug);
    connect(dependencies, &QAction::triggered, this, guarded(&TForm_Main::actDependenciesExecute));
    saveActions_.AddTo(*file, *this, debug);
    QAction* exit = file->addAction(QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, [this] { close(); });

    QMenu* flow = menuBar()->addMenu(QStringLiteral("Flow"));
    QAction* restart = flow->addAction(QStringLiteral("Restart"));
    connect(restart, &QAction::triggered, this, guarded(&TForm_Main::actFlowRestartExecute));
    QAction* jump = flow->addAction(QStringLiteral("Jump To..."));
    jump->setVisible(debug);
    connect(jump, &QAction::triggered, this, guarded(&TForm_Main::actFlowJumpToExecute));

    // Missing asset files are only logged unless the author turns this off;
    // readers, who never see the menu, always have it on.
    QMenu* settings = menuBar()->addMenu(QStringLiteral("Settings"));
    settings->menuAction()->setVisible(debug);
    QAction* skipMissing = settings->addAction(QStringLiteral("Skip Missing Files"));
    skipMissing->setCheckable(true);
    skipMissing->setChecked(missingFiles_.SkipMissingFiles);
    connect(skipMissing, &QAction::toggled, this, [this](bool on) { missingFiles_.SkipMissingFiles = on; });

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    actConsole_ = view->addAction(QStringLiteral("Console"));
    actConsole_->setCheckable(true);
    actConsole_->setVisible(debug);
    connect(actConsole_, &QAction::toggled, editorTabs_, &QWidget::setVisible);
    actFullscreen_ = view->addAction(QStringLiteral("Fullscreen"));
    actFullscreen_->setCheckable(true);
    actFullscreen_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    // Full screen hides the menu, and Qt ignores shortcuts whose widgets are
    // all hidden: the window itself keeps the way back.
    addAction(actFullscreen_);
    connect(actFullscreen_, &QAction::triggered, this,
            [this](bool on) { game_.Guard([this, on] { actFullscreenExecute(on); }); });
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
    menuBar()->setVisible(!fullscreen);
    editorTabs_->setVisible(!fullscreen && actConsole_->isChecked());
    viewport_->SetKeepAspect(fullscreen);
    actFullscreen_->setChecked(fullscreen);
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
}

void TForm_Main::actFullscreenExecute(bool on)
{
    render_->SetFullscreen(on);
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
    if (game_.DebugMode() && game_.GetBoolOption(QStringLiteral("ShowConsoleOnStartup"), false))
        actConsole_->setChecked(true);
    const int32_t scramble = game_.GetIntOption(QStringLiteral("Scramble"), 0);
    parser_.ScrambleKey = uint8_t(scramble & 0xFF);
    if (parser_.ScrambleKey != 0)
        Log(QStringLiteral("Scrambling @ ") + QString::number(parser_.ScrambleKey));
}

void TForm_Main::AdvanceFrame()
{
    story_.AdvanceFrame();
}

void TForm_Main::RenderFrame()
{
    // The frame-time line changes every frame, so it keeps frames coming.
    if (!renderOnDemandOnly_ && (render_->FrameNeeded() || render_->DisplayFps()))
        render_->RenderFrame();
}

void TForm_Main::PumpMessages()
{
    game_.PumpMessages();
}

void TForm_Main::Log(const QString& message)
{
    game_.Log(message);
}

// Laying out a line in the pane costs far more than running a script line,
// so a hidden pane only keeps the lines it will show; they go in all at once
// when it is shown.
void TForm_Main::AppendConsoleLine(const QString& line)
{
    if (!console_->isVisible()) {
        consoleBacklog_.append(line);
        if (consoleBacklog_.size() > ConsoleLines + ConsoleDropStep)
            consoleBacklog_.remove(0, consoleBacklog_.size() - ConsoleLines);
        return;
    }
    console_->appendPlainText(line);
    DropOldestConsoleLines();
}

void TForm_Main::FlushConsoleBacklog()
{
    if (consoleBacklog_.isEmpty())
        return;
    console_->appendPlainText(consoleBacklog_.join(u'\n'));
    consoleBacklog_.clear();
    DropOldestConsoleLines();
}

// Not the pane's own block limit: a full pane would drop one line per append
// and measure every line left each time. Dropping in steps measures it once
// per step.
void TForm_Main::DropOldestConsoleLines()
{
    if (console_->blockCount() <= ConsoleLines + ConsoleDropStep)
        return;
    QTextCursor oldest(console_->document());
    oldest.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, console_->blockCount() - ConsoleLines);
    oldest.removeSelectedText();
}

void TForm_Main::CloseMainWindow()
{
    // The program's end saves the globals, whichever way it comes.
    story_.WaitRemaining = 0;
    game_.RequestTerminate();
}

void TForm_Main::SaveGlobalsOnExit()
{
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
    game_.Guard([&] { story_.HandleKey(key, modifiers); });
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == console_ && event->type() == QEvent::Show)
        FlushConsoleBacklog();
    if (watched != viewport_)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        render_->SetViewportSize(viewport_->size(), viewport_->devicePixelRatioF());
        break;
    case QEvent::MouseMove:
        pbViewportMouseMove(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // the second press of a double click is a press too
        pbViewportMouseDown(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonRelease:
        pbViewportMouseUp(static_cast<QMouseEvent*>(event));
        return true;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::pbViewportMouseDown(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    render_->SetMousePos(point);
    const QPoint game = render_->ViewportToGame(point);
    game_.Guard([&] { story_.HandleMouseDown(game.x(), game.y()); });
}

void TForm_Main::pbViewportMouseMove(QMouseEvent* event)
{
    // The position is stored before anything else looks at the move.
    const QPoint point = event->position().toPoint();
    render_->SetMousePos(point);
    const QPoint game = render_->ViewportToGame(point);
    game_.Guard([&] { story_.HandleMouseMove(game.x(), game.y()); });
}

void TForm_Main::pbViewportMouseUp(QMouseEvent* event)
{
    const QPoint game = render_->ViewportToGame(event->position().toPoint());
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

void TForm_Main::edtCommandKeyPress()
{
    story_.RunConsoleCommand(commandEdit_->text());
    // Only a command that ran clears the box; a typo stays to be mended.
    commandEdit_->clear();
}
