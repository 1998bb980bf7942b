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
#include "interpreter/SaveGame.h"
#include "render/BgControl.h"
#include "render/FontUtils.h"
#include "render/RenderDevice.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QWidget;
class TGame;
class TStubPanel;

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

    void AdvanceFrame();
    void AppendConsoleLine(const QString& line);
    void SaveGlobalsOnExit();

    // Shows the window in the mode the device was created in; in a window,
    // sized so that the viewport is the game screen pixel for pixel.
    void ShowMainWindow();
    // Whether frames change with time alone (the frame-time line, animated
    // layers), so the main loop must wake for them even while the story
    // waits for the reader.
    bool FramesDependOnTime() const { return render_->DisplayFps() || story_.LayersMoveWithTime(); }

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateWidgets();
    void CreateActions();
    void ApplyStartupSettings();
    void actLoadExecute();
    void actDependenciesExecute();
    void actFlowRestartExecute();
    void actFlowJumpToExecute();
    void edtCommandKeyPress();
    void actFullscreenExecute(bool on);
    void pbViewportMouseDown(QMouseEvent* event);
    void pbViewportMouseMove(QMouseEvent* event);
    void pbViewportMouseUp(QMouseEvent* event);
    void ApplyWindowMode(bool fullscreen);
    void FitViewportToGameScreen();
    TRenderCallbacks MakeRenderCallbacks();
    TPresentationParts MakePresentationParts();
    QByteArray ThumbnailPng();
    void WireLayers();
    void FlushConsoleBacklog();
    void DropOldestConsoleLines();

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
    TSaveGame saves_;
    TSaveActions saveActions_;

    bool renderOnDemandOnly_ = false;

    TStubPanel* viewport_ = nullptr;
    QTabWidget* editorTabs_ = nullptr;
    QPlainTextEdit* console_ = nullptr;
    // Lines logged while the console was hidden; the pane shows the last
    // ConsoleLines of everything logged, give or take one drop step.
    QStringList consoleBacklog_;
    static constexpr int ConsoleLines = 10000;
    static constexpr int ConsoleDropStep = 1000;
    QLineEdit* commandEdit_ = nullptr;
    QAction* actConsole_ = nullptr;
    QAction* actFullscreen_ = nullptr;
};
