#include "app/KvtApplication.h"
#include "app/KvtParser_Form_Main.h"
#include "FakeDialogs.h"
#include "render/widgets/StubPanel.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The application started as far as the main loop, with these settings.
class MainWindowTest : public testing::Test {
protected:
    ~MainWindowTest() override
    {
        if (started_)
            game_.Finalize();
    }

    TForm_Main& Start(const QStringList& settings)
    {
        TCommandLineOptions options;
        options.Script = QStringLiteral("");  // not null: no bundled demo
        options.SettingsFile = dir_.WriteUtf8(QStringLiteral("kvt.ini"),
                                              (settings + QStringList{"LogFilename=" + LogFile()}).join(u'\n'));
        game_.Initialize(options);
        started_ = true;
        return game_.MainWindow();
    }
    QString LogFile() const { return dir_.File(QStringLiteral("kvt.log")); }
    // By name: without a meta-object of its own the panel's type cannot be searched for.
    static TStubPanel& Viewport(TForm_Main& form)
    {
        return *static_cast<TStubPanel*>(form.findChild<QWidget*>(QStringLiteral("pnlViewport")));
    }
    static QSize ViewportSize(TForm_Main& form) { return Viewport(form).size(); }
    static void CheckAltReturnRoundTrip(TForm_Main& form)
    {
        form.ShowMainWindow();
        // Shortcuts go to the active window only.
        form.activateWindow();
        QCoreApplication::processEvents();
        QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
        EXPECT_TRUE(form.isFullScreen());
        EXPECT_FALSE(form.menuBar()->isVisible());
        QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
        EXPECT_FALSE(form.isFullScreen());
        EXPECT_TRUE(form.menuBar()->isVisible());
        EXPECT_EQ(ViewportSize(form), QSize(1024, 768));
    }

    static QAction* FindAction(TForm_Main& form, const QString& caption)
    {
        for (QAction* action : form.findChildren<QAction*>())
            if (action->text() == caption)
                return action;
        return nullptr;
    }
    TGame& Game() { return game_; }

    TTempDir dir_;

private:
    int argc_ = 1;
    char name_[10] = "kvtparser";
    char* argv_[2] = {name_, nullptr};
    TGame game_{argc_, argv_};
    bool started_ = false;
};

} // namespace

TEST_F(MainWindowTest, ViewportIsTheGameScreenBelowTheMenu)
{
    TForm_Main& form = Start({});
    form.ShowMainWindow();
    EXPECT_TRUE(form.menuBar()->isVisible());
    EXPECT_EQ(ViewportSize(form), QSize(1024, 768));
}

// Full screen hides the menu that holds the action; the shortcut must still
// bring the window back, whatever the "Debug" setting shows.
TEST_F(MainWindowTest, AltReturnEntersAndLeavesFullScreen)
{
    CheckAltReturnRoundTrip(Start({"Debug=0"}));
}

TEST_F(MainWindowTest, AltReturnEntersAndLeavesFullScreenInDebugMode)
{
    CheckAltReturnRoundTrip(Start({"Debug=1"}));
}

TEST_F(MainWindowTest, FullscreenSettingStartsInFullScreen)
{
    TForm_Main& form = Start({"Fullscreen=1"});
    form.ShowMainWindow();
    EXPECT_TRUE(form.isFullScreen());
    EXPECT_FALSE(form.menuBar()->isVisible());
    EXPECT_TRUE(Viewport(form).KeepAspect());
}

TEST_F(MainWindowTest, CursorPictureHidesTheCursorOnWindowAndViewport)
{
    TForm_Main& form = Start({});
    form.Render().ShowMouseCursorPicture(true);
    EXPECT_EQ(form.cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(Viewport(form).cursor().shape(), Qt::BlankCursor);
    form.Render().ShowMouseCursorPicture(false);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindowTest, SettingsReadWhileTheWindowIsBuiltReachLogAndConsoleInOrder)
{
    TForm_Main& form = Start({"Debug=1", "ShowConsoleOnStartup=1", "DisplayFps=maybe", "Scramble=x"});
    form.ShowMainWindow();
    const QString fps = QStringLiteral("Invalid boolean option: DisplayFps=maybe. Assuming default (False).");
    const QString scramble = QStringLiteral("Invalid integer option: Scramble=x. Assuming default (0).");
    const QString console = form.findChild<QPlainTextEdit*>()->toPlainText();
    EXPECT_TRUE(console.startsWith(fps + u'\n' + scramble + u'\n')) << console.toStdString();
    const QByteArray log = ReadFileBytes(LogFile());
    EXPECT_TRUE(log.startsWith(Utf16LeBytes(QChar(0xFEFF) + fps + scramble))) << log.toStdString();
    EXPECT_FALSE(form.FramesDependOnTime());  // nothing moves: no wake-ups while waiting
}

TEST_F(MainWindowTest, FrameTimeLineKeepsFramesComing)
{
    EXPECT_TRUE(Start({"DisplayFps=1"}).FramesDependOnTime());
}

// Readers never see the toggle, yet a missing asset must still only be
// logged; an author who turns it off gets the error.
TEST_F(MainWindowTest, SkipMissingFilesIsOnAtStartAndHiddenFromReaders)
{
    TForm_Main& form = Start({});
    QAction* skip = nullptr;
    for (QAction* action : form.findChildren<QAction*>())
        if (action->text() == QStringLiteral("Skip Missing Files"))
            skip = action;
    ASSERT_NE(skip, nullptr);
    EXPECT_TRUE(skip->isChecked());
    for (QAction* menu : form.menuBar()->actions()) {
        if (menu->text() == QStringLiteral("Settings")) {
            EXPECT_FALSE(menu->isVisible());
        }
    }
    EXPECT_NO_THROW(form.Story().RunConsoleCommand(QStringLiteral("@bg nowhere")));
    skip->setChecked(false);
    EXPECT_THROW(form.Story().RunConsoleCommand(QStringLiteral("@bg nowhere")), Exception);
}

// A reader who waits for a text to type out sends no events: the main loop
// must still wake every frame until the text is whole.
TEST_F(MainWindowTest, TypingTextKeepsFramesComingUntilItIsWhole)
{
    TForm_Main& form = Start({});
    form.Story().OpenScript(dir_.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral(":-\nTyped out slowly.\n-:\n")));
    form.AdvanceFrame();
    EXPECT_TRUE(form.FramesDependOnTime());
    form.Story().ContinueAfterClick();
    EXPECT_FALSE(form.FramesDependOnTime());
}

TEST_F(MainWindowTest, CastAndStageViewsFollowTheScript)
{
    TForm_Main& form = Start({});
    EXPECT_EQ(form.Positions().Count(), 3);  // the default stage from the start
    form.Story().RunConsoleCommand(QStringLiteral("@actor Anna"));
    form.Story().RunConsoleCommand(QStringLiteral("@position Left, left, bottom"));
    ASSERT_EQ(form.Actors().Count(), 1);
    EXPECT_EQ(form.Actors().Item(0).Name(), QStringLiteral("Anna"));
    EXPECT_EQ(form.Positions().Item(3).Name, QStringLiteral("Left"));
}

TEST_F(MainWindowTest, DependenciesActionIsForAuthorsAndOpensTheDialogOnTheScript)
{
    TForm_Main& form = Start({"Debug=1"});
    auto dialogs = std::make_unique<TFakeDialogs>();
    TFakeDialogs& asked = *dialogs;
    Game().ReplaceDialogs(std::move(dialogs));
    QAction* action = FindAction(form, QStringLiteral("Dependencies"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isVisible());
    action->trigger();
    EXPECT_EQ(asked.DependenciesShownFor, &form.Parser());
}

TEST_F(MainWindowTest, DependenciesActionIsHiddenFromReaders)
{
    EXPECT_FALSE(FindAction(Start({}), QStringLiteral("Dependencies"))->isVisible());
}

// The viewport's moves, presses and releases reach the story in game-screen
// units: a move highlights a choice and a click picks it; a press and a
// release on a screen button jump to its label.
TEST_F(MainWindowTest, ViewportMouseHighlightsAndPicksAChoiceAndClicksAButton)
{
    TForm_Main& form = Start({});
    form.ShowMainWindow();
    QImage plate(40, 20, QImage::Format_ARGB32);
    plate.fill(Qt::blue);
    QDir(dir_.Path()).mkpath(QStringLiteral("images"));
    ASSERT_TRUE(plate.save(dir_.File(QStringLiteral("images/go.png"))));
    form.Story().OpenScript(dir_.WriteUtf8(QStringLiteral("story.kvt"),
                                           QStringLiteral("@item A, a\n@item B, b\n@menu\n#a\n@exit\n#b\n"
                                                          "@btn go, 100, 100, pressed\n@choose\n#pressed\n:-\nx\n-:\n")));
    form.AdvanceFrame();
    ASSERT_EQ(form.Story().WaitState, WaitStates::Choice);
    TStubPanel& viewport = Viewport(form);
    QMouseEvent move(QEvent::MouseMove, QPointF(512, 392), viewport.mapToGlobal(QPointF(512, 392)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&viewport, &move);  // "B", the choice below the centre
    QTest::mouseClick(&viewport, Qt::LeftButton, {}, QPoint(512, 392));
    form.AdvanceFrame();
    ASSERT_EQ(form.Story().WaitState, WaitStates::Button);
    QTest::mousePress(&viewport, Qt::LeftButton, {}, QPoint(110, 110));
    EXPECT_EQ(form.Story().WaitState, WaitStates::Button);  // a button clicks on its release
    QTest::mouseRelease(&viewport, Qt::LeftButton, {}, QPoint(110, 110));
    form.AdvanceFrame();
    EXPECT_EQ(form.Story().WaitState, WaitStates::Click);
}
