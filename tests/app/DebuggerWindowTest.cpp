#include "app/DebuggerPanes.h"
#include "app/KvtApplication.h"
#include "app/KvtParser_Form_Main.h"
#include "app/ScriptView.h"
#include "FakeDialogs.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringListModel>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class DebuggerWindowTest : public testing::Test {
protected:
    ~DebuggerWindowTest() override
    {
        if (started_)
            game_.Finalize();
    }

    TForm_Main& Start(const QStringList& settings)
    {
        TCommandLineOptions options;
        options.Script = QStringLiteral("");  // not null: no bundled demo
        options.SettingsFile = dir_.WriteUtf8(QStringLiteral("kvt.ini"), settings.join(u'\n'));
        game_.Initialize(options);
        started_ = true;
        auto dialogs = std::make_unique<TFakeDialogs>();
        dialogs_ = dialogs.get();
        game_.ReplaceDialogs(std::move(dialogs));
        return game_.MainWindow();
    }
    TForm_Main& StartWorkbench()
    {
        TForm_Main& form = Start({"Debug=1", "ShowToolsOnStartup=1", "ShowScriptOnStartup=1", "ShowConsoleOnStartup=1"});
        form.ShowMainWindow();
        return form;
    }
    void Open(TForm_Main& form, const QString& text)
    {
        form.Story().OpenScript(dir_.WriteUtf8(QStringLiteral("main.kvt"), text));
        form.AdvanceFrame();
    }

    // "File: Load script|Exit" for every visible menu, its visible items only.
    static QStringList VisibleMenus(TForm_Main& form)
    {
        QStringList menus;
        for (QAction* menu : form.menuBar()->actions()) {
            if (!menu->isVisible())
                continue;
            QStringList items;
            for (QAction* item : menu->menu()->actions())
                if (item->isVisible() && !item->isSeparator())
                    items.append(item->text());
            menus.append(menu->text() + QStringLiteral(": ") + items.join(u'|'));
        }
        return menus;
    }
    template <class T>
    static T& Child(TForm_Main& form, const char* name)
    {
        T* child = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return *child;
    }
    static QStringList Rows(TForm_Main& form, const char* list)
    {
        QStringList rows;
        QAbstractItemModel& model = *Child<QListView>(form, list).model();
        for (int row = 0; row < model.rowCount(); ++row)
            rows.append(model.index(row, 0).data().toString());
        return rows;
    }
    static void DoubleClickRow(TForm_Main& form, const char* list, int row)
    {
        QListView& view = Child<QListView>(form, list);
        auto& tools = Child<QTabWidget>(form, "pnlTools");
        for (int page = 0; page < tools.count(); ++page)
            if (tools.widget(page)->isAncestorOf(&view))
                tools.setCurrentIndex(page);
        view.doItemsLayout();
        const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(view.viewport(), &event);
        }
    }
    // A press on the number of a line in the script pane's gutter.
    static void ClickGutter(TScriptView& script, int row)
    {
        const QPointF at(3, (row - script.verticalScrollBar()->value() + 0.5) * script.fontMetrics().height());
        QMouseEvent press(QEvent::MouseButtonPress, at, script.viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(script.viewport(), &press);
    }
    // A press that reaches the window itself, as one on a splitter does.
    static void PressOnWindow(TForm_Main& form)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), form.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &press);
    }
    static QString Caption(TForm_Main& form, const char* label) { return Child<QLabel>(form, label).text(); }

    TTempDir dir_;
    TFakeDialogs* dialogs_ = nullptr;

private:
    int argc_ = 1;
    char name_[10] = "kvtparser";
    char* argv_[2] = {name_, nullptr};
    TGame game_{argc_, argv_};
    bool started_ = false;
};

const char* const kCallStory =
    "@set a, 1\n"      // 0
    "@call sub, p\n"   // 1
    "@set b, 2\n"      // 2
    "@exit\n"          // 3
    "#sub\n"           // 4
    "@set c, 3\n"      // 5
    "@set d, 4\n"      // 6
    "@return\n";       // 7

} // namespace

TEST_F(DebuggerWindowTest, ReadersSeeOnlyTheGameItemsAndNoPanes)
{
    TForm_Main& form = Start({"ShowToolsOnStartup=1", "ShowScriptOnStartup=1", "ShowConsoleOnStartup=oops"});
    form.ShowMainWindow();
    EXPECT_EQ(VisibleMenus(form),
              (QStringList{"File: Save...|Load...|Quick Save|Quick Load|Fullscreen|Exit",
                           "Game: Restart|Next|History|Skip|Auto|Preferences..."}));
    EXPECT_FALSE(Child<QTabWidget>(form, "pnlTools").isVisible());
    EXPECT_FALSE(Child<QTabWidget>(form, "pcEditor").isVisible());
    EXPECT_FALSE(form.Actions().Step->isEnabled());
    EXPECT_TRUE(dialogs_->Errors.isEmpty());
}

TEST_F(DebuggerWindowTest, AuthorsGetEveryMenuAndThePanesTheSettingsAskFor)
{
    TForm_Main& form = Start({"Debug=1", "ShowToolsOnStartup=1", "ShowScriptOnStartup=1"});
    form.ShowMainWindow();
    EXPECT_EQ(VisibleMenus(form),
              (QStringList{"File: Load script|Dependencies|Save...|Load...|Quick Save|Quick Load|Reload script|Fullscreen|Exit",
                           "Settings: Show Script|Console|Tools|Skip Missing Files",
                           "Game: Restart|Next|Jump To...|History|Skip|Auto|Preferences...",
                           "Debug: Continue|Step|Step Into|Step Out|Toggle Breakpoint"}));
    auto& tools = Child<QTabWidget>(form, "pnlTools");
    EXPECT_TRUE(tools.isVisible());
    EXPECT_EQ(tools.tabText(tools.currentIndex()), "Actors");
    EXPECT_TRUE(form.Actions().ShowScript->isChecked());
    EXPECT_FALSE(form.Actions().ShowConsole->isChecked());
    // The editor pane lives as long as one of its pages does.
    auto& editor = Child<QTabWidget>(form, "pcEditor");
    EXPECT_TRUE(editor.isVisible());
    form.Actions().ShowConsole->trigger();
    form.Actions().ShowScript->trigger();
    EXPECT_TRUE(editor.isVisible());
    form.Actions().ShowConsole->trigger();
    EXPECT_FALSE(editor.isVisible());
    form.Actions().ShowScript->trigger();
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(DebuggerWindowTest, ToolListsShowTheStoryInTheirRowTexts)
{
    TForm_Main& form = StartWorkbench();
    QDir(dir_.Path()).mkpath(QStringLiteral("sub"));
    dir_.WriteUtf8(QStringLiteral("empty.kvt"), QString());
    dir_.WriteUtf8(QStringLiteral("sub/part2.kvt"), QStringLiteral("@include empty.kvt\n@include empty.kvt\n"
                                                                  "@include empty.kvt\n#sub\n@set inner, %:1%\n"
                                                                  "@actor Anna\n@position Left, left, bottom\n"
                                                                  "@waitclk\n"));
    Open(form, "#start\n@set x, 1\n@chapter 2, Rain\n@section Harbour\n\n\n\n\n\n@call sub, deep\n"
               "@include sub/part2.kvt\n@set tail, 1\n");
    EXPECT_EQ(Rows(form, "lbFiles"), (QStringList{"0. main.kvt: 0-9", "10. part2.kvt: 3-7", "15. main.kvt: 11-11"}));
    EXPECT_EQ(Rows(form, "lbLabels"), (QStringList{"start", "sub"}));
    EXPECT_EQ(Caption(form, "lblCurrentChapter"), "2. Rain");
    form.Story().CompleteTyping();
    form.Story().ContinueAfterClick();  // past the chapter heading
    form.AdvanceFrame();
    EXPECT_EQ(Caption(form, "lblCurrentSection"), "Harbour");
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"x=1", "inner=deep"}));
    EXPECT_EQ(Rows(form, "lbStack"), (QStringList{"script@15", "script@10"}));
    EXPECT_EQ(Caption(form, "pnlCurrentLine"), "Line: 15, main.kvt@11.");
    EXPECT_EQ(Rows(form, "lbActors"), QStringList{"Anna"});
    EXPECT_EQ(Rows(form, "lbPositions"), (QStringList{"[Nameless]", "[Nameless]", "[Nameless]", "Left"}));
    TScriptView& script = form.ScriptPane();
    EXPECT_EQ(script.RowCount(), 16);
    EXPECT_EQ(script.RowText(10), "#sub");
    EXPECT_EQ(script.CurrentLine(), 15);
}

// While hidden, the panel is left alone however much the story changes;
// showing it brings every list up to date at once.
TEST_F(DebuggerWindowTest, HiddenToolsAreRebuiltWhenShown)
{
    TForm_Main& form = Start({"Debug=1"});
    form.ShowMainWindow();
    Open(form, "@set x, 1\n@actor Anna\n#here\n@waitclk\n");
    EXPECT_TRUE(Rows(form, "lbVars").isEmpty());
    EXPECT_TRUE(Rows(form, "lbLabels").isEmpty());
    form.Actions().ShowTools->trigger();
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"x=1"});
    EXPECT_EQ(Rows(form, "lbLabels"), QStringList{"here"});
    EXPECT_EQ(Rows(form, "lbActors"), QStringList{"Anna"});
    EXPECT_EQ(Rows(form, "lbStack"), QStringList{"script@4"});
}

// A breakpoint set from the script pane stops the story before its line; the
// steps then walk over, into and out of a call, and the variables list
// follows every step.
TEST_F(DebuggerWindowTest, BreakpointAndStepsShowTheStateAfterEachStep)
{
    TForm_Main& form = StartWorkbench();
    Open(form, "@waitclk\n" + QString::fromLatin1(kCallStory));
    TScriptView& script = form.ScriptPane();
    script.SetCaretLine(2);
    form.Actions().ToggleBreakpoint->trigger();  // F9
    ClickGutter(script, 6);
    EXPECT_TRUE(form.Story().Stepper().HasBreakpoint(6));
    ClickGutter(script, 6);
    EXPECT_EQ(form.Story().Stepper().BreakpointCount(), 1);
    form.Story().ContinueAfterClick();
    form.AdvanceFrame();
    ASSERT_TRUE(form.Story().Stepper().Paused());
    EXPECT_EQ(script.CurrentLine(), 2);
    EXPECT_EQ(Caption(form, "pnlCurrentLine"), "Line: 2, main.kvt@2.");
    Child<QTabWidget>(form, "pcEditor").setCurrentIndex(1);  // the console shows what it kept meanwhile
    EXPECT_TRUE(Child<QPlainTextEdit>(form, "mmConsole").toPlainText().endsWith("Breakpoint at main.kvt@2."));
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"a=1"});
    form.AdvanceFrame();  // a stopped story runs nothing, frame after frame
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"a=1"});

    form.Actions().Step->trigger();  // over the call
    form.AdvanceFrame();
    EXPECT_EQ(script.CurrentLine(), 3);
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"a=1", "c=3", "d=4"}));

    form.Actions().FlowRestart->trigger();
    form.AdvanceFrame();
    form.Story().ContinueAfterClick();
    form.AdvanceFrame();
    ASSERT_EQ(script.CurrentLine(), 2);
    form.Actions().StepInto->trigger();
    form.AdvanceFrame();
    EXPECT_EQ(script.CurrentLine(), 6);
    EXPECT_EQ(Rows(form, "lbStack"), (QStringList{"script@6", "script@3"}));
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"a=1"});
    // The variable editor changes a value while the story is stopped.
    dialogs_->EditedValue = QStringLiteral("7");
    DoubleClickRow(form, "lbVars", 0);
    EXPECT_EQ(dialogs_->Offered.Name, "a");
    form.Actions().Step->trigger();
    form.AdvanceFrame();
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"a=7", "c=3"}));
    form.Actions().StepOut->trigger();
    form.AdvanceFrame();
    EXPECT_EQ(script.CurrentLine(), 3);
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"a=7", "c=3", "d=4"}));
    EXPECT_EQ(Rows(form, "lbStack"), QStringList{"script@3"});
    form.Actions().Continue->trigger();
    form.AdvanceFrame();
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"a=7", "c=3", "d=4", "b=2"}));
}

TEST_F(DebuggerWindowTest, VariableButtonsAddEditAndDelete)
{
    TForm_Main& form = StartWorkbench();
    Open(form, "@set x, 1\n@waitclk\n");
    dialogs_->NewVariable = TVariableEntry{QStringLiteral("y"), QStringLiteral("two")};
    Child<QToolButton>(form, "sbVarAdd").click();
    form.FlushPaneRefresh();
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"x=1", "y=two"}));
    Child<QToolButton>(form, "sbVarEdit").click();  // nothing selected: nothing asked
    EXPECT_TRUE(dialogs_->Offered.Name.isEmpty());
    QListView& vars = Child<QListView>(form, "lbVars");
    vars.setCurrentIndex(vars.model()->index(1, 0));
    dialogs_->EditedValue = QStringLiteral("");
    Child<QToolButton>(form, "sbVarEdit").click();
    form.FlushPaneRefresh();
    EXPECT_EQ(Rows(form, "lbVars"), (QStringList{"x=1", "y="}));
    Child<QToolButton>(form, "sbVarDel").click();
    form.FlushPaneRefresh();
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"x=1"});
}

// A double-click on a label while a menu waits takes the menu away and
// goes on from the label; the script pane's "Jump" goes on from its caret.
TEST_F(DebuggerWindowTest, LabelsDoubleClickAndScriptJumpGoOnFromThere)
{
    TForm_Main& form = StartWorkbench();
    Open(form, "@item A, a\n@menu\n#a\n@set hit, a\n@waitclk\n#b\n@set hit, b\n@waitclk\n");
    ASSERT_EQ(form.Story().WaitState, WaitStates::Choice);
    DoubleClickRow(form, "lbLabels", 1);
    EXPECT_EQ(form.Story().WaitState, WaitStates::Run);
    form.AdvanceFrame();
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"hit=b"});
    Child<QTabWidget>(form, "pcEditor").setCurrentIndex(0);
    form.ScriptPane().SetCaretLine(3);
    QAction* jump = nullptr;
    for (QAction* action : form.findChildren<QAction*>())
        if (action->text() == "Jump")
            jump = action;
    ASSERT_NE(jump, nullptr);
    jump->trigger();
    form.AdvanceFrame();
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"hit=a"});
}

// Keys typed into the console are the console's, and clicks beside the
// game in a window are nobody's; in full screen the window is the game.
TEST_F(DebuggerWindowTest, ConsoleKeysAndClicksBesideTheGameDoNotAdvance)
{
    TForm_Main& form = StartWorkbench();
    Open(form, "@waitclk\n@set after, 1\n");
    auto& command = Child<QLineEdit>(form, "edtCommand");
    form.activateWindow();
    command.setFocus();
    QTest::keyClicks(&command, "@set typed, 1");
    QTest::keyClick(&command, Qt::Key_Return);
    QTest::keyClick(&command, Qt::Key_Space);
    EXPECT_EQ(form.Story().WaitState, WaitStates::Click);
    EXPECT_EQ(form.Parser().Position, 1);
    PressOnWindow(form);
    EXPECT_EQ(form.Story().WaitState, WaitStates::Click);
    form.Actions().Fullscreen->trigger();
    ASSERT_TRUE(form.isFullScreen());
    PressOnWindow(form);
    EXPECT_EQ(form.Story().WaitState, WaitStates::Run);
}

// A story that changes a variable on every line rebuilds the list once a
// frame, not once a line.
TEST_F(DebuggerWindowTest, ListsAreRebuiltOnceAFrameHoweverManyLinesRan)
{
    TForm_Main& form = StartWorkbench();
    int rebuilds = 0;
    auto& rows = *static_cast<QStringListModel*>(Child<QListView>(form, "lbVars").model());
    QObject::connect(&rows, &QStringListModel::modelReset, [&] { ++rebuilds; });
    form.Story().StepBudgetMs = 60000;  // the whole loop in one frame, however slow the machine
    Open(form, "#loop\n@inc n\n@if n < 2000, goto loop\n@waitclk\n");
    EXPECT_EQ(Rows(form, "lbVars"), QStringList{"n=2000"});
    EXPECT_EQ(rebuilds, 1);
}

// Full screen is the game alone, from the start too; leaving it brings the
// panes the author asked for back.
TEST_F(DebuggerWindowTest, FullScreenHidesThePanesUntilItEnds)
{
    TForm_Main& form = Start({"Debug=1", "ShowToolsOnStartup=1", "ShowConsoleOnStartup=1", "Fullscreen=1"});
    form.ShowMainWindow();
    EXPECT_FALSE(Child<QTabWidget>(form, "pnlTools").isVisible());
    EXPECT_FALSE(Child<QTabWidget>(form, "pcEditor").isVisible());
    form.Actions().Fullscreen->trigger();
    EXPECT_TRUE(Child<QTabWidget>(form, "pnlTools").isVisible());
    EXPECT_TRUE(Child<QTabWidget>(form, "pcEditor").isVisible());
}
