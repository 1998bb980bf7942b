#pragma once

#include "engine/Clock.h"
#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"
#include "interpreter/Interpreter.h"
#include "interpreter/InterpreterHost.h"

#include <QMainWindow>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QWidget;
class TGame;

// The main window creates and owns the story's long-lived objects and wires
// them to the widgets. The logic lives in the objects; this file only
// connects them.
class TForm_Main final : public QMainWindow, public TInterpreterHost {
public:
    TForm_Main(TGame& game, TClock& clock);
    ~TForm_Main() override;

    TInterpreter& Story() { return story_; }
    TKvtParser& Parser() { return parser_; }

    void AdvanceFrame();
    void AppendConsoleLine(const QString& line);
    void SaveGlobalsOnExit();

    // TInterpreterHost
    void Log(const QString& message) override;
    void RenderFrame() override;
    void PumpMessages() override;
    void CloseMainWindow() override;
    void Invalidate() override {}
    void SuspendRepaint() override { repaintSuspended_ = true; }
    void ResumeRepaint() override { repaintSuspended_ = false; }
    bool RepaintSuspended() const override { return repaintSuspended_; }
    void SetTitle(const QString& title) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateWidgets();
    void CreateActions();
    void ApplyStartupSettings();
    void actLoadExecute();
    void actFlowRestartExecute();
    void actFlowJumpToExecute();
    void edtCommandKeyPress();
    void pbViewportMouseDown(QMouseEvent* event);
    QPoint ViewportToGame(QPoint point) const;

    TGame& game_;
    TClock& clock_;
    // The story's objects, in the order they must be created; C++ destroys
    // members in reverse, which is the order they must be freed in.
    TKvtParser parser_;
    TKvtVariables variables_;
    TProductGlobals product_;
    TCommandManager commands_;
    TInterpreter story_;

    bool repaintSuspended_ = false;
    bool closing_ = false;

    QWidget* viewport_ = nullptr;
    QTabWidget* editorTabs_ = nullptr;
    QPlainTextEdit* console_ = nullptr;
    QLineEdit* commandEdit_ = nullptr;
    QAction* actConsole_ = nullptr;
};
