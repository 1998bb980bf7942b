#include "app/KvtApplication.h"

#include "BuildConfig.h"
#include "app/KvtParser_Form_Main.h"
#include "app/ReaderControls.h"
#include "engine/CommandHandlers.h"
#include "engine/Exceptions.h"
#include "engine/FileSystem.h"
#include "engine/KvtEngine.h"
#include "interpreter/DependencyScan.h"
#include "interpreter/SaveFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <utility>

#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
#include <unistd.h>
#endif

namespace {

TGame* gGame = nullptr;
volatile std::sig_atomic_t gTerminateSignal = 0;

void OnTerminateSignal(int)
{
    gTerminateSignal = 1;
}

void PrintLine(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

bool DisplayAvailable()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// "%s" and "%d" replaced by the arguments in order; "%%" is a percent sign.
QString FormatMessage(const QString& format, const QStringList& arguments)
{
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const bool directive = format[i] == u'%' && i + 1 < format.size();
        if (directive && (format[i + 1] == u's' || format[i + 1] == u'd')) {
            out += arguments.value(next++);
            ++i;
        } else if (directive && format[i + 1] == u'%') {
            out += u'%';
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

// Qt warns on every start when the session provides no runtime folder (a
// headless run from a service or container); give it a private one the way
// it would pick itself, so the warning does not bury the program's output.
void ProvideRuntimeFolder()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString folder = QDir::tempPath() + QStringLiteral("/runtime-") + QString::number(::getuid());
    if (!QDir().mkpath(folder))
        return;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
#endif
}

QString SettingsFileFor(const QString& modulePath)
{
    const QFileInfo program(modulePath);
    return program.absolutePath() + u'/' + program.completeBaseName() + QStringLiteral(".ini");
}

} // namespace

TGame& Game()
{
    return *gGame;
}

TGame::TGame(int& argc, char** argv) : argc_(argc), argv_(argv)
{
    gGame = this;
}

TGame::~TGame()
{
    form_.reset();
    gGame = nullptr;
}

int TGame::Execute()
{
    QStringList arguments;
    for (int i = 1; i < argc_; ++i)
        arguments.append(QString::fromLocal8Bit(argv_[i]));
    try {
        options_ = ParseCommandLineOptions(arguments);
        if (!options_.Input.isEmpty())
            ParseReaderEvents(options_.Input);
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "kvtparser: %s\n", e.what());
        return 2;
    } catch (const Exception& e) {
        PrintLine(stderr, QStringLiteral("kvtparser: ") + e.Message());
        return 2;
    }
    if (options_.Help) {
        PrintLine(stdout, UsageText());
        return 0;
    }
    if (options_.Version) {
        PrintLine(stdout, QStringLiteral("kvtparser " KVT_VERSION));
        return 0;
    }
    if (options_.Check)
        return RunCheck();
    if (!DisplayAvailable())
        options_.Headless = true;
    if (options_.Headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The real mixer still runs, on the driver the environment names:
        // "disk" records the mix to a file for checks.
        if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
            qputenv("SDL_AUDIODRIVER", "dummy");
    }
    ProvideRuntimeFolder();

    app_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationName(QStringLiteral("KvtParser"));
    std::signal(SIGTERM, OnTerminateSignal);
    std::signal(SIGINT, OnTerminateSignal);

    int status = 0;
    try {
        Initialize(options_);
        status = Run();
    } catch (const std::exception& e) {
        // The "Script" setting failed: report it and end.
        HandleApplicationException(e);
        status = 1;
    }
    Finalize();
    if (options_.Strict && errorCount_ > 0 && status == 0)
        status = 1;
    return status;
}

// The dependencies report of the script on standard output, for an author's
// own CI: no window, no sound, no line run.
int TGame::RunCheck()
{
    QCoreApplication app(argc_, argv_);
    settings_.LoadFromFile(options_.SettingsFile.isEmpty() ? SettingsFileFor(GetModulePath()) : options_.SettingsFile);
    TKvtParser parser;
    parser.ScrambleKey = uint8_t(settings_.GetIntOption(QStringLiteral("Scramble"), 0) & 0xFF);
    try {
        parser.LoadScript(options_.Script);
    } catch (const std::exception& e) {
        PrintLine(stderr, QStringLiteral("kvtparser: ") + DescribeException(e));
        return 1;
    }
    const TDependencyReport report = BuildDependencyReport(parser);
    if (!report.Text.isEmpty())
        PrintLine(stdout, report.Text.chopped(1));
    return report.HasProblems ? 1 : 0;
}

void TGame::Initialize(const TCommandLineOptions& options)
{
    options_ = options;
    ResolveAgainstStartFolder(options_, QDir::currentPath());
    modulePath_ = GetModulePath();
    appFolder_ = QFileInfo(modulePath_).absolutePath() + u'/';
    settings_.SetLogger([this](const QString& message) { Log(message); });
    settings_.LoadFromFile(options_.SettingsFile.isEmpty() ? SettingsFileFor(modulePath_)
                                                           : options_.SettingsFile);
    debugMode_ = settings_.GetBoolOption(QStringLiteral("Debug"), false);
    QString logName = settings_.GetStringOption(QStringLiteral("LogFilename"), QString());
    if (!logName.isEmpty() && !IsAbsolutePath(logName))
        logName = appFolder_ + logName;
    logFile_.SetFileName(NormalizeSeparators(logName));

    if (options_.FixedStepMs) {
        auto clock = std::make_unique<TVirtualClock>();
        virtualClock_ = clock.get();
        clock_ = std::move(clock);
    } else {
        clock_ = std::make_unique<TRealClock>();
    }
    ChooseDemoWhenNothingGiven();
    if (!options_.Input.isEmpty() || options_.Auto || options_.Skip)
        reader_ = std::make_unique<TScriptedReader>(ParseReaderEvents(options_.Input), options_.Auto,
                                                    options_.Skip);

    wakeTimer_ = std::make_unique<QTimer>();
    wakeTimer_->setTimerType(Qt::PreciseTimer);  // a coarse timer would drop below 60 frames a second
    idleTimer_ = std::make_unique<QTimer>();
    idleTimer_->setInterval(10);
    QObject::connect(idleTimer_.get(), &QTimer::timeout, [this] { ApplicationEvents1Idle(); });

    // The window's constructor already logs (malformed settings it reads);
    // its console shows those lines once it exists.
    consoleBacklog_.emplace();
    form_ = std::make_unique<TForm_Main>(*this, *clock_);
    const QStringList backlog = *consoleBacklog_;
    consoleBacklog_.reset();
    for (const QString& line : backlog)
        form_->AppendConsoleLine(line);
    dialogs_ = std::make_unique<TQtDialogs>(form_.get(), [this](const std::function<void()>& action) { Guard(action); });
    form_->SetRenderOnDemandOnly(options_.Headless);
    form_->Story().AnswerClicksInStepLoop = options_.Headless && options_.Skip;
    form_->CreateDevice();
    if (options_.Transcript) {
        form_->Story().OnTextShown = [this](const QString& speaker, const QString& text) {
            PrintTranscriptLine(speaker, text);
        };
        form_->Choices().OnMenuShown = [](const QStringList& captions) { PrintMenu(captions); };
    }
    Log(QStringLiteral("Application initialized."));
    terminateRequested_ = false;
}

// With neither a script on the command line nor a "Script" setting, the
// bundled demo plays; with no display it plays by itself into the terminal.
void TGame::ChooseDemoWhenNothingGiven()
{
    if (!options_.Script.isNull() || !options_.LoadFile.isEmpty() || !settings_.GetStringOption(QStringLiteral("Script"), QString()).isEmpty())
        return;
    for (const QString& folder : {appFolder_ + QStringLiteral("../../examples"), QStringLiteral(KVT_SOURCE_DIR "/examples")}) {
        const QString demo = QDir(folder).absoluteFilePath(QStringLiteral("demo/demo.kvt"));
        if (QFileInfo(demo).isFile()) {
            options_.Script = demo;
            break;
        }
    }
    if (options_.Headless && options_.Input.isEmpty() && !options_.Skip) {
        options_.Auto = true;
        options_.Transcript = true;
    }
}

void TGame::PrintTranscriptLine(const QString& speaker, const QString& text)
{
    PrintLine(stdout, speaker.isEmpty() ? text.trimmed() : speaker + QStringLiteral(": ") + text.trimmed());
}

// One line per choice, a choice's own line breaks as blanks.
void TGame::PrintMenu(const QStringList& captions)
{
    for (const QString& caption : captions)
        PrintLine(stdout, QStringLiteral("> ") + QString(caption).replace(u'\n', u' '));
}

int TGame::Run()
{
    OpenStartScript();
    // A run asked to go on from a save must not play the story from its
    // start instead.
    if (!options_.LoadFile.isEmpty() && !LoadStartSave())
        return 1;
    if (!options_.Headless)
        form_->ShowMainWindow();
    MainLoop();
    SaveFinalScreenshot();
    if (!options_.SaveFile.isEmpty()) {
        bool saved = false;
        Guard([&] {
            form_->SaveActions().SaveToFile(options_.SaveFile);
            saved = true;
        });
        if (!saved)
            return 1;
    }
    return 0;
}

bool TGame::LoadStartSave()
{
    bool loaded = false;
    Guard([&] {
        const TSaveState state = ReadSaveFile(options_.LoadFile);
        // Story time goes on from the save, so what moves with time (an
        // animated cursor) shows what one uninterrupted run would.
        if (virtualClock_ && int32_t(state.StoryTime - clock_->TickCount()) > 0)
            virtualClock_->Advance(state.StoryTime - clock_->TickCount());
        form_->SaveActions().Load(state, options_.LoadFile);
        loaded = true;
    });
    return loaded;
}

void TGame::OpenStartScript()
{
    const QString script = settings_.GetStringOption(QStringLiteral("Script"), QString());
    if (!script.isEmpty()) {
        // Nothing catches here: a story that cannot start ends the program.
        form_->Story().OpenScript(script);
        const QString entry = settings_.GetStringOption(QStringLiteral("EntryPoint"), QString());
        if (!entry.isEmpty())
            form_->Story().JumpToLabel(entry);
        return;
    }
    if (options_.Script.isEmpty() && !options_.LoadFile.isEmpty())
        Guard([this] { options_.Script = ReadSaveFile(options_.LoadFile).Story.ScriptPath; });
    if (options_.Script.isEmpty())
        return;
    Guard([this] { form_->Story().OpenScript(options_.Script); });
    if (!options_.Label.isEmpty())
        Guard([this] { form_->Story().JumpToLabel(options_.Label); });
}

void TGame::MainLoop()
{
    while (!IsTerminating()) {
        if (!RunOnePass())
            break;
        if (virtualClock_) {
            virtualClock_->Advance(*options_.FixedStepMs);
        } else if (!form_->Story().IsRunning()) {
            ArmWakeTimer();
            WaitForEvents();
        }
    }
    wakeTimer_->stop();
}

// A story that waits for the reader with nothing moving on screen sleeps
// until an event comes: only frames that change with time, and scripted
// input that acts on time, need a wake-up every frame. The slow wake-up is
// what notices a terminate signal, which no event announces.
void TGame::ArmWakeTimer()
{
    const int interval = reader_ || form_->FramesDependOnTime() ? FrameWakeMs : SignalWakeMs;
    if (wakeTimer_->interval() != interval || !wakeTimer_->isActive())
        wakeTimer_->start(interval);
}

// One pass of the main loop; false when a headless run has nothing left to do.
bool TGame::RunOnePass()
{
    Guard([this] {
        form_->AdvanceFrame();
        if (reader_)
            reader_->CompleteSkippedText(form_->Story());
        form_->RenderFrame();
    });
    // Outside the guard: a pass that fails is a pass too, or "--max-frames"
    // would never end a story that fails on every line.
    PumpMessages();
    TInterpreter& story = form_->Story();
    if (reader_) {
        TScriptedReader::TOutcome outcome = TScriptedReader::TOutcome::Idle;
        // Scripted input waits too while the reader looks at the history.
        if (!form_->ReaderControls().HistoryOpen())
            Guard([&] { outcome = reader_->Step(story, clock_->TickCount()); });
        if (outcome == TScriptedReader::TOutcome::Exhausted && options_.Headless)
            return false;
    } else if (options_.Headless && story.WaitsForReader()) {
        return false;
    }
    return !(options_.Headless && story.IsFinished());
}

// Waits for window events; the wake timer ends the wait within a frame, so
// a story that waits for the reader costs almost no processor time.
void TGame::WaitForEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TGame::SaveDueScreenshots()
{
    if (options_.ScreenshotEvery <= 0 || passes_ % options_.ScreenshotEvery != 0)
        return;
    QDir().mkpath(options_.ScreenshotFolder);
    const QString name = QStringLiteral("frame-%1.png").arg(passes_, 6, 10, QLatin1Char('0'));
    Guard([&] { form_->SaveScreenshot(QDir(options_.ScreenshotFolder).filePath(name)); });
}

void TGame::SaveFinalScreenshot()
{
    if (!options_.Screenshot.isEmpty())
        Guard([this] { form_->SaveScreenshot(options_.Screenshot); });
}

void TGame::Finalize()
{
    FlushRepeatedErrors();
    if (form_) {
        // Every way the program ends comes through here: window closed,
        // "exit", a terminate request or signal, a headless run's end.
        Guard([this] { form_->SaveGlobalsOnExit(); });
        form_->hide();
        Guard([this] { form_->ReleaseDevice(); });
    }
    settings_.Clear();
}

// Runs once per pass, in the main loop and in the interpreter's blocking
// waits alike, so it is also where passes are counted and screenshots taken.
void TGame::PumpMessages()
{
    Guard([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    CountPass();
}

void TGame::CountPass()
{
    ++passes_;
    SaveDueScreenshots();
    if (gTerminateSignal || (options_.MaxFrames && passes_ >= *options_.MaxFrames))
        RequestTerminate();
    // Whatever ends the program also ends a blocking wait in progress.
    if (IsTerminating() && form_)
        form_->Story().WaitRemaining = 0;
}

void TGame::RequestTerminate()
{
    terminateRequested_ = true;
}

bool TGame::IsTerminating() const
{
    return terminateRequested_ || gTerminateSignal;
}

void TGame::Log(const QString& message)
{
    FlushRepeatedErrors();
    WriteLog(message);
}

void TGame::WriteLog(const QString& message)
{
    if (!logFile_.FileName().isEmpty()) {
        try {
            logFile_.AppendToLogFile(message);
        } catch (const Exception& e) {
            // Reported once; the console keeps working without the file.
            logFile_.SetFileName(QString());
            Log(QStringLiteral("Log file disabled: ") + e.Message());
        }
    }
    if (options_.PrintLog)
        PrintLine(stderr, message);
    if (form_)
        form_->AppendConsoleLine(message);
    else if (consoleBacklog_)
        consoleBacklog_->append(message);
}

void TGame::FlushRepeatedErrors()
{
    const int64_t repeats = std::exchange(lastErrorRepeats_, 0);
    lastError_.clear();
    if (repeats == 1)
        WriteLog(QStringLiteral("The error above happened once more."));
    else if (repeats > 1)
        WriteLog(QStringLiteral("The error above happened ") + QString::number(repeats) + QStringLiteral(" more times."));
}

void TGame::LogFmt(const QString& format, const QStringList& arguments)
{
    Log(FormatMessage(format, arguments));
}

void TGame::HandleApplicationException(const std::exception& error)
{
    ++errorCount_;
    const QString text = DescribeException(error);
    if (text == lastError_) {
        ++lastErrorRepeats_;
    } else {
        Log(text);
        lastError_ = text;
    }
    // A failure that repeats every frame must not stack up boxes.
    if (options_.Headless || errorBoxOpen_ || !dialogs_)
        return;
    errorBoxOpen_ = true;
    RunModal([&] { dialogs_->ShowError(text); });
    errorBoxOpen_ = false;
}

void TGame::ShowMessage(const QString& caption, const QString& text)
{
    if (options_.Headless || !dialogs_) {
        Log(caption + QStringLiteral(": ") + text);
        return;
    }
    RunModal([&] { dialogs_->ShowMessage(caption, text); });
}

void TGame::Guard(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        HandleApplicationException(e);
    }
}

void TGame::RunModal(const std::function<void()>& dialog)
{
    const bool wasActive = idleTimer_->isActive();
    idleTimer_->start();
    try {
        dialog();
    } catch (...) {
        if (!wasActive)
            idleTimer_->stop();
        throw;
    }
    if (!wasActive)
        idleTimer_->stop();
}

// Keeps the story moving while a modal dialog runs its own event loop.
void TGame::ApplicationEvents1Idle()
{
    // A terminate signal also ends the dialog that holds the main loop.
    if (gTerminateSignal) {
        RequestTerminate();
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    }
    if (inIdleFrame_ || !form_)
        return;
    inIdleFrame_ = true;
    Guard([this] {
        form_->AdvanceFrame();
        form_->RenderFrame();
    });
    inIdleFrame_ = false;
}
