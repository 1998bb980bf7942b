#pragma once

#include "app/KvtParser_Form_Saves.h"
#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "audio/SoundPlayer.h"
#include "engine/Clock.h"
#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"
#include "interpreter/ActorCommands.h"
#include "interpreter/AudioCommands.h"
#include "interpreter/CharacterLines.h"
#include "interpreter/ChoiceCommands.h"
#include "interpreter/Interpreter.h"
#include "interpreter/InterpreterHost.h"
#include "interpreter/TextCommands.h"
#include "interpreter/MissingFiles.h"
#include "interpreter/PresentationCommands.h"
#include "interpreter/ReaderSession.h"
#include "interpreter/SaveGame.h"
#include "render/BgControl.h"
#include "render/FontUtils.h"
#include "render/HistoryOverlay.h"
#include "render/RenderDevice.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QWidget;
class TConsolePane;
class TGame;
class TReaderControls;
class TScriptView;
class TStubPanel;
class TToolsPanel;

// The window's actions; the menus show them, and the window keeps the
// shortcuts of those that must work in full screen too.
struct TMainActions {
    QAction* Load = nullptr;
    QAction* Dependencies = nullptr;
    QAction* Fullscreen = nullptr;
    QAction* Exit = nullptr;
    QAction* ShowScript = nullptr;
    QAction* ShowConsole = nullptr;
    QAction* ShowTools = nullptr;
    QAction* SkipMissingFiles = nullptr;
    QAction* FlowRestart = nullptr;
    QAction* Next = nullptr;
    QAction* FlowJumpTo = nullptr;
    QAction* Continue = nullptr;
    QAction* Step = nullptr;
    QAction* StepInto = nullptr;
    QAction* StepOut = nullptr;
    QAction* ToggleBreakpoint = nullptr;
};

// The main window creates and owns the story's long-lived objects and wires
// them to the widgets. The logic lives in the objects; this file only
// connects them.
class TForm_Main final : public QMainWindow, public TInterpreterHost {
public:
    TForm_Main(TGame& game, TClock& clock);
    ~TForm_Main() override;

    TInterpreter& Story() { return story_; }
    TChoiceCommands& Choices() { return choices_; }
    TKvtParser& Parser() { return parser_; }
    // The cast and the stage as the author's tools list them; each manager
    // reports its changes to a handler installed with SetOnChange.
    const TActorManager& Actors() const { return actors_; }
    const TPositionManager& Positions() const { return positions_; }
    TReaderSession& Reader() { return reader_; }
    TReaderControls& ReaderControls() { return *readerControls_; }

    void AdvanceFrame();
    void AppendConsoleLine(const QString& line);
    void SaveGlobalsOnExit();

    // Shows the window in the mode the device was created in; in a window,
    // sized so that the viewport is the game screen pixel for pixel.
    void ShowMainWindow();
    // Whether frames change with time alone (the frame-time line, animated
    // layers), so the main loop must wake for them even while the story
    // waits for the reader.
    bool FramesDependOnTime() const
    {
        return render_->DisplayFps() || story_.LayersMoveWithTime() || reader_.Active();
    }

    // Device life cycle, driven by the application object.
    void CreateDevice();
    void ReleaseDevice();
    // Headless runs draw only the frames somebody will look at.
    void SetRenderOnDemandOnly(bool on) { renderOnDemandOnly_ = on; }
    // Draws a frame now and writes it as PNG; raises when it cannot.
    void SaveScreenshot(const QString& fileName);
    TRenderDevice& Render() { return *render_; }
    TSaveActions& SaveActions() { return saveActions_; }

    // TInterpreterHost
    void Log(const QString& message) override;
    void RenderFrame() override;
    void PumpMessages() override;
    void CloseMainWindow() override;
    void Invalidate() override { render_->Invalidate(); }
    void SuspendRepaint() override { render_->SuspendRepaint(); }
    void ResumeRepaint() override { render_->ResumeRepaint(); }
    bool RepaintSuspended() const override { return render_->RepaintSuspended(); }
    void SetTitle(const QString& title) override;

    const TMainActions& Actions() const { return actions_; }
    TToolsPanel& Tools() { return *tools_; }
    TScriptView& ScriptPane() { return *scriptView_; }
    // Brings the visible panes up to date with what the story changed since
    // the last call; runs once a frame.
    void FlushPaneRefresh();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateWidgets();
    QWidget* CreateEditorPane(QWidget* parent);
    void CreateActions();
    void CreateMenus();
    QAction* AddAction(QMenu* menu, const QString& caption, void (TForm_Main::*handler)());
    QAction* AddToggle(QMenu* menu, const QString& caption, void (TForm_Main::*handler)());
    void ApplyStartupSettings();
    void WireNotifications();
    void WireToolsPanel();
    void actLoadExecute();
    void actDependenciesExecute();
    void actFlowRestartExecute();
    void actFlowJumpToExecute();
    void actShowScriptExecute();
    void actShowConsoleExecute();
    void actShowToolsExecute();
    void actContinueExecute();
    void actStepExecute();
    void actStepIntoExecute();
    void actStepOutExecute();
    void actToggleBreakpointExecute();
    void Jump1Click();
    void lbLabelsDblClick(const QString& label);
    void UpdateEditorPane();
    void RefreshScriptView();
    void ShowCurrentLine();
    void ToggleBreakpoint(qsizetype line);
    void edtCommandKeyPress(const QString& text);
    void actFullscreenExecute();
    void pbViewportMouseDown(QPoint point);
    void pbViewportMouseMove(QPoint point);
    void pbViewportMouseUp(QPoint point);
    bool WindowMouseCounts(QMouseEvent* event, QPoint& point) const;
    bool TextInputHasFocus() const;
    void ApplyWindowMode(bool fullscreen);
    void FitViewportToGameScreen();
    void KeepWorkbenchOnScreen();
    TRenderCallbacks MakeRenderCallbacks();
    TPresentationParts MakePresentationParts();
    QByteArray ThumbnailPng();
    void WireLayers();

    TGame& game_;
    TClock& clock_;
    // The story's objects, in the order they must be created; C++ destroys
    // members in reverse, which is the order they must be freed in.
    TImageManager images_;
    TKvtParser parser_;
    TKvtVariables variables_;
    TProductGlobals product_;
    TCommandManager commands_;
    TSoundPlayer sound_;
    TFontManager fonts_;
    TBgControl background_;
    TTextBox textBox_;
    TSelectionBox selectionBox_;
    TScreenObjectMgr screenObjects_;
    THistoryOverlay historyOverlay_;
    TTextCommands text_;
    std::unique_ptr<TRenderDevice> render_;  // holds the mouse cursor picture
    TActorManager actors_;
    TPositionManager positions_;
    TCharManager chars_;
    TMissingFileReporter missingFiles_;
    TPresentationCommands presentation_;
    TChoiceCommands choices_;
    TActorCommands cast_;
    TCharacterLines speakers_;
    TInterpreter story_;
    TAudioCommands audio_;
    TReaderSession reader_;
    TSaveGame saves_;
    TSaveActions saveActions_;

    bool renderOnDemandOnly_ = false;

    TStubPanel* viewport_ = nullptr;
    QSplitter* toolsSplitter_ = nullptr;   // splTools: game area | tools panel
    QSplitter* editorSplitter_ = nullptr;  // splEditor: viewport over editor pane
    QTabWidget* editorTabs_ = nullptr;     // pcEditor
    QWidget* scriptPage_ = nullptr;
    TConsolePane* consolePage_ = nullptr;
    TScriptView* scriptView_ = nullptr;
    QMenu* scriptPopup_ = nullptr;         // pmScript
    TToolsPanel* tools_ = nullptr;
    TMainActions actions_;
    // PaneParts the story changed since the panes were last brought up to date.
    unsigned pendingRefresh_ = 0;
    std::unique_ptr<TReaderControls> readerControls_;
};
