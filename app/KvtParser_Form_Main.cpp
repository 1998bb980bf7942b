#include "app/KvtParser_Form_Main.h"

#include "app/KvtApplication.h"
#include "engine/Exceptions.h"
#include "engine/GameScreen.h"

#include <QAction>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

TForm_Main::TForm_Main(TGame& game, TClock& clock)
    : game_(game),
      clock_(clock),
      product_(variables_, [this](const QString& message) { Log(message); }),
      story_({parser_, variables_, product_, commands_, clock_, *this})
{
    variables_.OnLog = [this](const QString& message) { Log(message); };
    setWindowTitle(QStringLiteral("KvtParser"));
    CreateWidgets();
    CreateActions();
    story_.RegisterCommands();
    ApplyStartupSettings();
    story_.ResetAll();
}

TForm_Main::~TForm_Main() = default;

void TForm_Main::CreateWidgets()
{
    auto* splitter = new QSplitter(Qt::Vertical, this);
    viewport_ = new QWidget(splitter);
    viewport_->setMinimumSize(kGameScreenWidth / 4, kGameScreenHeight / 4);
    viewport_->setAutoFillBackground(true);
    QPalette black = viewport_->palette();
    black.setColor(QPalette::Window, Qt::black);
    viewport_->setPalette(black);
    viewport_->installEventFilter(this);

    editorTabs_ = new QTabWidget(splitter);
    auto* consolePage = new QWidget(editorTabs_);
    auto* layout = new QVBoxLayout(consolePage);
    layout->setContentsMargins(0, 0, 0, 0);
    console_ = new QPlainTextEdit(consolePage);
    console_->setReadOnly(true);
    console_->setMaximumBlockCount(10000);
    commandEdit_ = new QLineEdit(consolePage);
    layout->addWidget(console_);
    layout->addWidget(commandEdit_);
    editorTabs_->addTab(consolePage, QStringLiteral("Console"));
    editorTabs_->hide();
    connect(commandEdit_, &QLineEdit::returnPressed, this, [this] { game_.Guard([this] { edtCommandKeyPress(); }); });

    splitter->setStretchFactor(0, 3);
    setCentralWidget(splitter);
    resize(kGameScreenWidth, kGameScreenHeight + menuBar()->sizeHint().height());
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
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, [this] { close(); });

    QMenu* flow = menuBar()->addMenu(QStringLiteral("Flow"));
    QAction* restart = flow->addAction(QStringLiteral("Restart"));
    connect(restart, &QAction::triggered, this, guarded(&TForm_Main::actFlowRestartExecute));
    QAction* jump = flow->addAction(QStringLiteral("Jump To..."));
    jump->setVisible(debug);
    connect(jump, &QAction::triggered, this, guarded(&TForm_Main::actFlowJumpToExecute));

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    actConsole_ = view->addAction(QStringLiteral("Console"));
    actConsole_->setCheckable(true);
    actConsole_->setVisible(debug);
    connect(actConsole_, &QAction::toggled, editorTabs_, &QWidget::setVisible);
}

void TForm_Main::ApplyStartupSettings()
{
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
    if (repaintSuspended_)
        return;
}

void TForm_Main::PumpMessages()
{
    game_.PumpMessages();
}

void TForm_Main::Log(const QString& message)
{
    game_.Log(message);
}

void TForm_Main::AppendConsoleLine(const QString& line)
{
    console_->appendPlainText(line);
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
    setWindowTitle(title);
    QGuiApplication::setApplicationDisplayName(title);
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
    if (watched == viewport_ && event->type() == QEvent::MouseButtonPress) {
        pbViewportMouseDown(static_cast<QMouseEvent*>(event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::pbViewportMouseDown(QMouseEvent* event)
{
    const QPoint game = ViewportToGame(event->position().toPoint());
    game_.Guard([&] { story_.HandleMouseDown(game.x(), game.y()); });
}

QPoint TForm_Main::ViewportToGame(QPoint point) const
{
    if (viewport_->width() <= 0 || viewport_->height() <= 0)
        return {};
    return {point.x() * kGameScreenWidth / viewport_->width(), point.y() * kGameScreenHeight / viewport_->height()};
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
