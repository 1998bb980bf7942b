#include "app/ReaderControls.h"

#include "app/PreferencesDialog.h"
#include "interpreter/ReaderSession.h"
#include "render/HistoryOverlay.h"
#include "render/TextboxControl.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>
#include <utility>

namespace {

constexpr int WheelStep = 120;  // eighths of a degree per notch

// The reader's group joins the "Game" menu, which readers see with "Debug"
// on and off.
QMenu* GameMenu(QMenuBar& menuBar)
{
    for (QAction* action : menuBar.actions())
        if (action->menu() && action->text() == u"Game")
            return action->menu();
    return menuBar.addMenu(QStringLiteral("Game"));
}

} // namespace

TReaderControls::TReaderControls(QWidget& window, QWidget& viewport, TReaderSession& session,
                                 THistoryOverlay& overlay, const TTextBox& textBox, std::function<void()> invalidate,
                                 std::function<void(QPoint)> pointerMoved)
    : window_(window), viewport_(viewport), session_(session), overlay_(overlay), textBox_(textBox),
      invalidate_(std::move(invalidate)), pointerMoved_(std::move(pointerMoved))
{
    // Installed after the window's own filter, so these run first.
    window_.installEventFilter(this);
    viewport_.installEventFilter(this);
    session_.OnModesChanged = [this] { SyncModeActions(); };
}

TReaderControls::~TReaderControls()
{
    session_.OnModesChanged = nullptr;
}

void TReaderControls::AddActionsTo(QMenuBar& menuBar)
{
    QMenu* menu = GameMenu(menuBar);
    menu->addSeparator();
    history_ = menu->addAction(QStringLiteral("History"));
    history_->setShortcut(QKeySequence(Qt::Key_H));
    connect(history_, &QAction::triggered, this, [this] { HistoryOpen() ? CloseHistory() : OpenHistory(); });
    skip_ = menu->addAction(QStringLiteral("Skip"));
    skip_->setCheckable(true);
    skip_->setShortcut(QKeySequence(Qt::Key_S));
    connect(skip_, &QAction::toggled, this, [this](bool on) { session_.SetSkip(on); });
    auto_ = menu->addAction(QStringLiteral("Auto"));
    auto_->setCheckable(true);
    auto_->setShortcut(QKeySequence(Qt::Key_A));
    connect(auto_, &QAction::toggled, this, [this](bool on) { session_.SetAuto(on); });
    QAction* preferences = menu->addAction(QStringLiteral("Preferences..."));
    connect(preferences, &QAction::triggered, this, [this] { ShowPreferences(); });
    // Full screen hides the menu bar; the window keeps the keys working.
    window_.addActions({history_, skip_, auto_});
}

void TReaderControls::SyncModeActions()
{
    for (auto [action, on] : {std::pair{skip_, session_.Skip()}, std::pair{auto_, session_.Auto()}}) {
        if (action && action->isChecked() != on) {
            const QSignalBlocker quiet(action);
            action->setChecked(on);
        }
    }
}

bool TReaderControls::HistoryOpen() const
{
    return overlay_.IsOpen();
}

void TReaderControls::OpenHistory()
{
    if (HistoryOpen())
        return;
    session_.SetPaused(true);
    overlay_.Open(session_.History().Entries(),
                  {textBox_.NarrationFont(), textBox_.CharTextFont(), textBox_.NameFont()});
    wheelRest_ = 0;
    invalidate_();
}

void TReaderControls::CloseHistory()
{
    if (!HistoryOpen())
        return;
    overlay_.Close();
    session_.SetPaused(false);
    invalidate_();
}

void TReaderControls::ShowPreferences()
{
    if (!preferences_) {
        preferences_ = std::make_unique<TPreferencesDialog>(&window_);
        preferences_->OnChanged = [this](const TReaderPreferences& chosen) { session_.SetPreferences(chosen); };
    }
    // The product's own values: the story may have named another meanwhile.
    preferences_->SetPreferences(session_.Preferences());
    preferences_->show();
    preferences_->raise();
    preferences_->activateWindow();
}

bool TReaderControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &viewport_)
        return ViewportEvent(event);
    if (watched == &window_)
        return WindowEvent(event);
    return false;
}

bool TReaderControls::WindowEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Control)
            session_.SetSkipHeld(true);
        if (HistoryOpen())
            return HistoryKey(key);
        if (key.key() == Qt::Key_PageUp && key.modifiers() == Qt::NoModifier) {
            OpenHistory();
            return true;
        }
        return false;
    }
    case QEvent::KeyRelease:
        if (static_cast<const QKeyEvent&>(*event).key() == Qt::Key_Control)
            session_.SetSkipHeld(false);
        return false;
    case QEvent::WindowDeactivate:
        // The release of a key held while the window loses focus never comes.
        session_.SetSkipHeld(false);
        return false;
    default:
        return false;
    }
}

// Every key is the history's while it is open; none reaches the story.
bool TReaderControls::HistoryKey(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Up:
        overlay_.Scroll(1);
        break;
    case Qt::Key_Down:
        if (!overlay_.Scroll(-1))
            CloseHistory();
        break;
    case Qt::Key_PageUp:
        overlay_.ScrollPage(1);
        break;
    case Qt::Key_PageDown:
        if (!overlay_.ScrollPage(-1))
            CloseHistory();
        break;
    case Qt::Key_Home:
        overlay_.Scroll(overlay_.Count());
        break;
    case Qt::Key_End:
        overlay_.Scroll(-(overlay_.Count() - 1 - overlay_.LastShown()));
        break;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        CloseHistory();
        break;
    default:
        return true;
    }
    invalidate_();
    return true;
}

void TReaderControls::HistoryWheel(const QWheelEvent& wheel)
{
    wheelRest_ += wheel.angleDelta().y();
    while (std::abs(wheelRest_) >= WheelStep && HistoryOpen()) {
        const int step = wheelRest_ > 0 ? 1 : -1;
        wheelRest_ -= step * WheelStep;
        if (!overlay_.Scroll(step))
            CloseHistory();
    }
    invalidate_();
}

bool TReaderControls::ViewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Wheel: {
        const auto& wheel = static_cast<const QWheelEvent&>(*event);
        if (HistoryOpen())
            HistoryWheel(wheel);
        else if (wheel.angleDelta().y() > 0)
            OpenHistory();
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!HistoryOpen())
            return false;
        CloseHistory();
        swallowRelease_ = true;
        return true;
    case QEvent::MouseButtonRelease:
        if (swallowRelease_) {
            swallowRelease_ = false;
            return true;
        }
        return HistoryOpen();
    case QEvent::MouseMove:
        if (!HistoryOpen())
            return false;
        if (pointerMoved_)
            pointerMoved_(static_cast<const QMouseEvent&>(*event).position().toPoint());
        return true;
    default:
        return false;
    }
}
