#pragma once

#include "app/CommandLineOptions.h"
#include "app/Dialogs.h"
#include "app/LogFile.h"
#include "app/Settings.h"
#include "engine/Clock.h"
#include "interpreter/ScriptedReader.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QApplication;
class TForm_Main;

// The application object: settings, log, the main loop, and the last stop
// for every error nothing else handled.
class TGame {
public:
    TGame(int& argc, char** argv);
    ~TGame();
    TGame(const TGame&) = delete;
    TGame& operator=(const TGame&) = delete;

    // The whole life of the program; returns its exit status.
    int Execute();
    // Start-up up to the main loop, inside an existing application object:
    // settings, log, the main window and its device. Execute calls these;
    // so do the window's tests.
    void Initialize(const TCommandLineOptions& options);
    void Finalize();
    TForm_Main& MainWindow() { return *form_; }

    void Log(const QString& message);
    // "%s" and "%d" take the arguments in order.
    void LogFmt(const QString& format, const QStringList& arguments);
    void HandleApplicationException(const std::exception& error);
    // Runs `action`, handing any error to HandleApplicationException, so no
    // exception ever crosses Qt's event loop.
    void Guard(const std::function<void()>& action);
    // Runs a modal dialog while the story keeps moving behind it.
    void RunModal(const std::function<void()>& dialog);
    // A message box with its own caption; headless runs only log it.
    void ShowMessage(const QString& caption, const QString& text);

    void RequestTerminate();
    bool IsTerminating() const;
    void PumpMessages();

    bool GetBoolOption(const QString& name, bool defaultValue) const { return settings_.GetBoolOption(name, defaultValue); }
    int32_t GetIntOption(const QString& name, int32_t defaultValue) const { return settings_.GetIntOption(name, defaultValue); }
    QString GetStringOption(const QString& name, const QString& defaultValue) const { return settings_.GetStringOption(name, defaultValue); }

    bool DebugMode() const { return debugMode_; }
    bool Headless() const { return options_.Headless; }
    const QString& AppFolder() const { return appFolder_; }
    TDialogs& Dialogs() { return *dialogs_; }
    // Tests answer the program's questions themselves.
    void ReplaceDialogs(std::unique_ptr<TDialogs> dialogs) { dialogs_ = std::move(dialogs); }

private:
    int Run();
    int RunCheck();
    void OpenStartScript();
    bool LoadStartSave();
    void MainLoop();
    bool RunOnePass();
    void WaitForEvents();
    void ApplicationEvents1Idle();
    void ChooseDemoWhenNothingGiven();
    void PrintTranscriptLine(const QString& speaker, const QString& text);
    static void PrintMenu(const QStringList& captions);
    void SaveDueScreenshots();
    void SaveFinalScreenshot();
    void CountPass();
    void WriteLog(const QString& message);
    void FlushRepeatedErrors();
    void ArmWakeTimer();

    int& argc_;
    char** argv_;
    TCommandLineOptions options_;
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<TClock> clock_;
    TVirtualClock* virtualClock_ = nullptr;  // the clock above, in fixed-step runs
    TSettings settings_;
    TLogFile logFile_;
    QString modulePath_;
    QString appFolder_;
    bool debugMode_ = false;
    bool terminateRequested_ = false;
    bool errorBoxOpen_ = false;
    bool inIdleFrame_ = false;
    int errorCount_ = 0;
    // The last error logged and how often it came again right after: a line
    // that fails on every pass is logged once with a count.
    QString lastError_;
    int64_t lastErrorRepeats_ = 0;
    // Lines logged while the main window is being built, for its console.
    std::optional<QStringList> consoleBacklog_;
    int64_t passes_ = 0;
    std::unique_ptr<TScriptedReader> reader_;
    std::unique_ptr<TDialogs> dialogs_;
    std::unique_ptr<TForm_Main> form_;
    static constexpr int FrameWakeMs = 16;
    static constexpr int SignalWakeMs = 500;
    // Created once the application exists: timers need its event dispatcher.
    std::unique_ptr<QTimer> wakeTimer_;
    std::unique_ptr<QTimer> idleTimer_;
};

// The one application object, for the window code that needs the log.
TGame& Game();
