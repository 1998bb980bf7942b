#pragma once

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

class QAction;
class QEvent;
class QKeyEvent;
class QMenuBar;
class QWheelEvent;
class QWidget;
class THistoryOverlay;
class TPreferencesDialog;
class TReaderSession;
class TTextBox;

// The reader's side of the main window: the "History", "Skip", "Auto" and
// "Preferences..." actions, the history overlay's input, and the held skip
// key. It watches the window's keys and the viewport's mouse; while the
// history is open it takes all of them, so none reaches the story.
class TReaderControls final : public QObject {
public:
    // `invalidate` asks for a frame; `pointerMoved` keeps the drawn mouse
    // cursor following the mouse while the history keeps moves from the story.
    TReaderControls(QWidget& window, QWidget& viewport, TReaderSession& session, THistoryOverlay& overlay,
                    const TTextBox& textBox, std::function<void()> invalidate,
                    std::function<void(QPoint)> pointerMoved);
    ~TReaderControls() override;

    // Into the menu bar's "Game" menu, made when there is none.
    void AddActionsTo(QMenuBar& menuBar);

    void OpenHistory();
    void CloseHistory();
    bool HistoryOpen() const;
    TPreferencesDialog* PreferencesDialog() const { return preferences_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool WindowEvent(QEvent* event);
    bool ViewportEvent(QEvent* event);
    bool HistoryKey(const QKeyEvent& key);
    void HistoryWheel(const QWheelEvent& wheel);
    void ShowPreferences();
    void SyncModeActions();

    QWidget& window_;
    QWidget& viewport_;
    TReaderSession& session_;
    THistoryOverlay& overlay_;
    const TTextBox& textBox_;
    std::function<void()> invalidate_;
    std::function<void(QPoint)> pointerMoved_;
    QAction* history_ = nullptr;
    QAction* skip_ = nullptr;
    QAction* auto_ = nullptr;
    std::unique_ptr<TPreferencesDialog> preferences_;
    int wheelRest_ = 0;                // a wheel's eighths of a degree short of one step
    bool swallowRelease_ = false;      // the press that closed the history was no click
};
