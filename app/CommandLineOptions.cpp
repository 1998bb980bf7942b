#include "app/CommandLineOptions.h"

#include <QDir>

namespace {

class TArgumentReader {
public:
    explicit TArgumentReader(const QStringList& arguments) : arguments_(arguments) {}

    bool AtEnd() const { return next_ >= arguments_.size(); }
    QString Take() { return arguments_[next_++]; }

    QString TakeValue(const QString& option)
    {
        if (AtEnd())
            throw EUsageError(("option " + option + " needs a value").toStdString());
        return Take();
    }

    int64_t TakeCount(const QString& option, int64_t minimum)
    {
        const QString text = TakeValue(option);
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        if (!ok || value < minimum)
            throw EUsageError(("option " + option + " needs a whole number of at least "
                               + QString::number(minimum) + ", not \"" + text + "\"").toStdString());
        return value;
    }

private:
    const QStringList& arguments_;
    qsizetype next_ = 0;
};

void TakePositional(TCommandLineOptions& options, const QString& argument)
{
    if (options.Script.isNull())
        options.Script = argument;
    else if (options.Label.isNull())
        options.Label = argument;
    else
        throw EUsageError(("unexpected argument \"" + argument + "\"").toStdString());
}

} // namespace

TCommandLineOptions ParseCommandLineOptions(const QStringList& arguments)
{
    TCommandLineOptions options;
    TArgumentReader reader(arguments);
    bool onlyPositional = false;
    while (!reader.AtEnd()) {
        const QString arg = reader.Take();
        if (onlyPositional || !arg.startsWith(u"--") ) {
            TakePositional(options, arg);
        } else if (arg == u"--") {
            onlyPositional = true;
        } else if (arg == u"--help") {
            options.Help = true;
        } else if (arg == u"--version") {
            options.Version = true;
        } else if (arg == u"--check") {
            options.Check = true;
        } else if (arg == u"--headless") {
            options.Headless = true;
        } else if (arg == u"--print-log") {
            options.PrintLog = true;
        } else if (arg == u"--fixed-step") {
            options.FixedStepMs = uint32_t(reader.TakeCount(arg, 1));
        } else if (arg == u"--input") {
            options.Input = reader.TakeValue(arg);
        } else if (arg == u"--auto") {
            options.Auto = true;
        } else if (arg == u"--skip") {
            options.Skip = true;
        } else if (arg == u"--max-frames") {
            options.MaxFrames = reader.TakeCount(arg, 1);
        } else if (arg == u"--transcript") {
            options.Transcript = true;
        } else if (arg == u"--strict") {
            options.Strict = true;
        } else if (arg == u"--settings") {
            options.SettingsFile = reader.TakeValue(arg);
        } else if (arg == u"--screenshot") {
            options.Screenshot = reader.TakeValue(arg);
        } else if (arg == u"--save") {
            options.SaveFile = reader.TakeValue(arg);
        } else if (arg == u"--load") {
            options.LoadFile = reader.TakeValue(arg);
        } else if (arg == u"--screenshot-every") {
            options.ScreenshotEvery = reader.TakeCount(arg, 1);
            options.ScreenshotFolder = reader.TakeValue(arg);
        } else {
            throw EUsageError(("unknown option " + arg + " (see --help)").toStdString());
        }
    }
    // The check reads one script and runs nothing, so there is no label to start at.
    if (options.Check && options.Script.isEmpty())
        throw EUsageError("option --check needs a script");
    if (options.Check && !options.Label.isNull())
        throw EUsageError(("option --check takes no label, not \"" + options.Label + "\"").toStdString());
    return options;
}

void ResolveAgainstStartFolder(TCommandLineOptions& options, const QString& startFolder)
{
    const QDir start(startFolder);
    for (QString* path : {&options.SettingsFile, &options.Screenshot, &options.ScreenshotFolder, &options.SaveFile,
                          &options.LoadFile})
        if (!path->isEmpty())
            *path = QDir::cleanPath(start.absoluteFilePath(*path));
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: kvtparser [OPTIONS] [SCRIPT [LABEL]]\n"
        "Plays a story script, starting at LABEL when given.\n"
        "\n"
        "  --help                 show this text and exit\n"
        "  --version              show the version and exit\n"
        "  --settings FILE        read the settings from FILE instead of the program's .ini\n"
        "  --check                list what the script and its includes need, run nothing;\n"
        "                         exit with status 1 when a label or file is missing or a\n"
        "                         label is defined twice\n"
        "  --headless             no window on screen and no sound device needed (the mix\n"
        "                         goes to SDL_AUDIODRIVER, silent \"dummy\" when unset)\n"
        "  --print-log            copy every log message to standard error\n"
        "  --fixed-step MS        virtual time: every main-loop pass advances MS milliseconds\n"
        "  --input EVENTS         reader input, separated by \";\": click, click X Y,\n"
        "                         key enter|space|up|down, move X Y, wait MS\n"
        "  --auto                 answer every click wait once the text is typed out\n"
        "  --skip                 show every text whole and answer every click wait at once\n"
        "  --max-frames N         stop after N main-loop passes\n"
        "  --transcript           print every text shown to the reader on standard output\n"
        "  --strict               exit with status 1 when any error was reported\n"
        "  --screenshot FILE      write the last frame as PNG on exit\n"
        "  --screenshot-every N DIR  write a PNG of every Nth frame into DIR\n"
        "  --save FILE            write a save of the story as it stands when the run ends\n"
        "  --load FILE            start from a save; SCRIPT may be left out, the save names it\n");
}
