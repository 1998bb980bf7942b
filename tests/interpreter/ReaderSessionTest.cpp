#include "interpreter/ReaderSession.h"
#include "support/StoryFixture.h"

#include <QDir>

namespace {

class ReaderSessionTest : public StoryFixture {
protected:
    ReaderSessionTest() { session.Attach(); }

    // One main-loop pass as the window runs it.
    void Pass()
    {
        Frame();
        session.SyncProduct();
        session.Step();
    }

    void Passes(int count)
    {
        for (int i = 0; i < count; ++i)
            Pass();
    }

    QStringList logged;
    TReaderSession session{story, product, textBox, sound, clock, [this](const QString& m) { logged.append(m); }};
};

QStringList Texts(const TTextHistory& history)
{
    QStringList texts;
    for (const THistoryEntry& entry : history.Entries())
        texts.append((entry.Heading ? "# " : entry.Speaker.isEmpty() ? "" : entry.Speaker + ": ") + entry.Text);
    return texts;
}

} // namespace

TEST(TextHistory, KeepsTheNewestInOrderOnceFull)
{
    TTextHistory history(3);
    for (const char* text : {"a", "b", "c", "d", "e"})
        history.Add({QString(), text, false});
    ASSERT_EQ(history.Count(), 3);
    EXPECT_EQ(history.At(0).Text, "c");
    EXPECT_EQ(history.At(2).Text, "e");
    EXPECT_EQ(history.Entries().back().Text, "e");
}

TEST_F(ReaderSessionTest, HistoryHoldsNarrationSpeakersAndHeadings)
{
    Open("@chapter 1, Harbour\n:-\nRain.\n-:\nMira: Hello %who%!\n");
    variables.SetStr("who", "you");
    Passes(3);
    story.HandleTextWindowClick();
    Passes(2);
    story.HandleTextWindowClick();
    Passes(2);
    EXPECT_EQ(Texts(session.History()), (QStringList{"# 1. Harbour", "Rain.", "Mira: Hello you!"}));
}

// The story: two texts, a menu, a third text behind it.
constexpr char MenuStory[] = ":-\none\ntwo\n-:\n@item Go, go\n@menu\n#go\n:-\nthree\n-:\n";

TEST_F(ReaderSessionTest, SkipPassesReadTextsAndStopsAtMenusAndUnreadText)
{
    Open(MenuStory);
    Pass();
    story.HandleTextWindowClick();
    Pass();
    ASSERT_EQ(Shown.last(), "two");
    story.Restart();
    session.SetSkip(true);
    Passes(6);
    EXPECT_EQ(Shown, (QStringList{"one", "two", "one", "two"}));
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    EXPECT_FALSE(session.Skip()) << "a menu ends skipping";

    story.HandleKey(TReaderKey::Down, false);
    story.HandleKey(TReaderKey::Enter, false);
    session.SetSkip(true);
    Passes(4);
    EXPECT_EQ(Shown.last(), "three");
    EXPECT_EQ(story.WaitState, WaitStates::Click) << "an unread text waits for the reader";
    EXPECT_FALSE(session.Skip());

    // Holding the key passes read texts only, and ends nothing.
    story.Restart();
    session.SetSkipHeld(true);
    Passes(6);
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    EXPECT_EQ(Shown.size(), 7);
}

TEST_F(ReaderSessionTest, AutoWaitsThePauseThatGrowsWithTheText)
{
    TReaderPreferences preferences;
    preferences.AutoPauseMs = 500;
    session.SetPreferences(preferences);
    Open(":-\nabcd\nnext\n-:\n");
    session.SetAuto(true);
    Pass();  // the text arrives, whole at once
    const uint32_t shownAt = clock.TickCount();
    const uint32_t pause = 500 + 4 * TReaderPreferences::AutoPausePerCharacter;
    while (clock.TickCount() - shownAt < pause - 16)
        Pass();
    EXPECT_EQ(Shown.last(), "abcd");
    Passes(3);
    EXPECT_EQ(Shown.last(), "next");

    session.SetPaused(true);  // the history is open
    Passes(100);
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    EXPECT_EQ(Shown.last(), "next");
}

TEST_F(ReaderSessionTest, ReadLinesAndPreferencesFollowTheProduct)
{
    Open("@product Tests, Reader Session\n:-\none\n-:\n");
    Pass();
    EXPECT_FALSE(session.CurrentTextWasRead());
    TReaderPreferences preferences;
    preferences.TextSpeed = 200;
    session.SetPreferences(preferences);
    session.Save();

    // A later run of the same product.
    TReaderSession later(story, product, textBox, sound, clock, {});
    later.Attach();
    EXPECT_EQ(later.Preferences().TextSpeed, 200);
    EXPECT_EQ(later.SeenLines().Count(), 1);
    story.Restart();
    Pass();
    EXPECT_TRUE(later.CurrentTextWasRead());
    textBox.SetSpeed(8);
    EXPECT_EQ(textBox.Scroller().EffectiveSpeed(), 4) << "the reader's speed scales the script's 8 ms";
}

TEST(SeenLines, RoundTripAndDamagedFiles)
{
    TTempDir dir;
    TSeenLines seen;
    const uint64_t key = SeenLineKey("opening.kvt", "  Mira: Hello. ");
    EXPECT_EQ(key, SeenLineKey("OPENING.kvt", "Mira: Hello."));
    EXPECT_NE(key, SeenLineKey("crossing.kvt", "Mira: Hello."));
    seen.Insert(key);
    seen.Insert(7);
    seen.Save(dir.File("seen.dat"));

    QStringList logged;
    const TReaderLog log = [&logged](const QString& m) { logged.append(m); };
    TSeenLines read;
    read.Load(dir.File("seen.dat"), log);
    EXPECT_TRUE(read.Contains(key) && read.Contains(7));
    EXPECT_FALSE(read.Dirty());
    EXPECT_TRUE(logged.isEmpty());

    // A truncated last line and garbage lose only themselves.
    const QByteArray data = ReadFileBytes(dir.File("seen.dat"));
    read.Load(dir.Write("cut.dat", data + "zz\n00ff"), log);
    EXPECT_EQ(read.Count(), 2);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].contains("2 damaged lines"));
    read.Load(dir.Write("other.dat", QByteArray("\xff\xfe\x00garbage", 10)), log);
    EXPECT_EQ(read.Count(), 0);
    EXPECT_EQ(logged.size(), 2);
    read.Load(dir.File("missing.dat"), log);
    EXPECT_EQ(logged.size(), 2) << "no file yet is no problem";
}

TEST(ReaderPreferences, OutOfRangeAndUnreadableValues)
{
    QStringList logged;
    const TReaderPreferences read = ParseReaderPreferences(
        "textspeed = 9999\nAutoPause=-5\nMusicVolume=loud\nEffectsVolume=128\nColour=red\n", "p.ini",
        [&logged](const QString& m) { logged.append(m); });
    EXPECT_EQ(read.TextSpeed, TReaderPreferences::FastestTextSpeed);
    EXPECT_EQ(read.AutoPauseMs, 0);
    EXPECT_EQ(read.MusicVolume, 255);
    EXPECT_EQ(read.EffectsVolume, 128);
    EXPECT_EQ(logged.size(), 2);
    EXPECT_EQ(ParseReaderPreferences(FormatReaderPreferences(read), "p.ini", {}), read);

    TReaderPreferences pace;
    EXPECT_EQ(pace.TypingDelay(8), 8);
    pace.TextSpeed = 50;
    EXPECT_EQ(pace.TypingDelay(8), 16);
    EXPECT_EQ(pace.TypingDelay(0), 0) << "a script's instant text stays instant";
    pace.TextSpeed = TReaderPreferences::FastestTextSpeed;
    EXPECT_EQ(pace.TypingDelay(8), 0);
}
