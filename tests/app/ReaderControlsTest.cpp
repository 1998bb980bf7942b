#include "app/KvtApplication.h"
#include "app/KvtParser_Form_Main.h"
#include "app/PreferencesDialog.h"
#include "app/ReaderControls.h"
#include "render/widgets/StubPanel.h"
#include "support/TempDir.h"

#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QDialogButtonBox>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

TEST(PreferencesDialog, EveryChangeAppliesAtOnceAndDefaultsComeBack)
{
    TPreferencesDialog dialog;
    TReaderPreferences start;
    start.MusicVolume = 128;
    dialog.SetPreferences(start);
    QList<TReaderPreferences> applied;
    dialog.OnChanged = [&applied](const TReaderPreferences& p) { applied.append(p); };
    EXPECT_EQ(dialog.MusicSlider()->value(), 50);

    dialog.TextSpeedSlider()->setValue(200);
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied.last().TextSpeed, 200);
    EXPECT_EQ(applied.last().MusicVolume, 128) << "a slider moved leaves the others as they were";
    dialog.EffectsSlider()->setValue(0);
    EXPECT_EQ(applied.last().EffectsVolume, 0);

    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::RestoreDefaults)->click();
    EXPECT_EQ(applied.last(), TReaderPreferences{});
    EXPECT_EQ(dialog.TextSpeedSlider()->value(), 100);
}

namespace {

class ReaderControlsTest : public testing::Test {
protected:
    ~ReaderControlsTest() override { game_.Finalize(); }

    TForm_Main& Start(const QString& story)
    {
        TCommandLineOptions options;
        options.Script = QStringLiteral("");
        options.SettingsFile = dir_.WriteUtf8("kvt.ini", "LogFilename=" + dir_.File("kvt.log"));
        game_.Initialize(options);
        TForm_Main& form = game_.MainWindow();
        form.Story().OpenScript(dir_.WriteUtf8("story.kvt", story));
        form.ShowMainWindow();
        return form;
    }
    static QWidget& Viewport(TForm_Main& form) { return *form.findChild<QWidget*>(QStringLiteral("pnlViewport")); }
    static void Wheel(QWidget& widget, int delta)
    {
        QWheelEvent wheel(QPointF(500, 300), widget.mapToGlobal(QPointF(500, 300)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&widget, &wheel);
    }

    TTempDir dir_;

private:
    int argc_ = 1;
    char name_[10] = "kvtparser";
    char* argv_[2] = {name_, nullptr};
    TGame game_{argc_, argv_};
};

} // namespace

// Reading the history never changes the story: the click or key that closes
// it goes nowhere else.
TEST_F(ReaderControlsTest, HistoryTakesTheInputThatWouldMoveTheStory)
{
    TForm_Main& form = Start(":-\nfirst\nsecond\n-:\n");
    form.AdvanceFrame();
    form.Story().CompleteTyping();
    ASSERT_EQ(form.Story().WaitState, WaitStates::Click);

    Wheel(Viewport(form), 120);
    ASSERT_TRUE(form.ReaderControls().HistoryOpen());
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_FALSE(form.ReaderControls().HistoryOpen());
    EXPECT_EQ(form.Story().WaitState, WaitStates::Click);

    QTest::keyClick(&form, Qt::Key_PageUp);
    ASSERT_TRUE(form.ReaderControls().HistoryOpen());
    QTest::mouseClick(&Viewport(form), Qt::LeftButton, {}, QPoint(500, 300));
    EXPECT_FALSE(form.ReaderControls().HistoryOpen());
    EXPECT_EQ(form.Story().WaitState, WaitStates::Click);
    form.AdvanceFrame();
    EXPECT_EQ(form.Reader().History().Count(), 1);

    Wheel(Viewport(form), 120);
    Wheel(Viewport(form), -120);  // past the newest entry
    EXPECT_FALSE(form.ReaderControls().HistoryOpen());
    EXPECT_EQ(form.Story().WaitState, WaitStates::Click);
}
