#include "support/SoundFiles.h"
#include "support/StoryFixture.h"

namespace {

// Assets beside the story: music files hold WAV data under their music
// extensions, which the mixer tells by their first bytes.
class AudioCommandsTest : public StoryFixture {
protected:
    void SetUp() override
    {
        StoryFixture::SetUp();
        dir.Write(QStringLiteral("music/theme.ogg"), ToneWav(1000));
        dir.Write(QStringLiteral("music/other.mp3"), ToneWav(1000));
        dir.Write(QStringLiteral("sound/Rain.wav"), ToneWav(1000));
        dir.Write(QStringLiteral("sound/door.ogg"), ToneWav(300));
        dir.Write(QStringLiteral("sound/bell.flac"), ToneWav(2000));
    }

    // Runs the lines in one frame; returns how much story time the frame's
    // blocking waits took.
    uint32_t RunStory(const QString& lines)
    {
        Open(lines);
        const uint32_t start = clock.TickCount();
        Frame();
        return clock.TickCount() - start - 16;
    }
};

} // namespace

TEST_F(AudioCommandsTest, BgMusicFadesOnlyWithTheExactKeywordOrAnInterval)
{
    RunStory("@bgmusic theme\n");
    EXPECT_NE(sound.Music, nullptr);
    EXPECT_EQ(sound.MusicVolume, 100);

    RunStory("@bgmusic theme\n@bgmusic other, fade, max\n@bgmusic other, Fade\n");
    EXPECT_NE(sound.FadingMusic, nullptr);
    EXPECT_EQ(sound.MusicFadeRemaining, 1000u);
    EXPECT_EQ(sound.MusicTargetVolume, 255);
    EXPECT_EQ(Errors, QStringList{"Invalid interval in \"bgmusic\": Fade."});

    // Zero or less is at once, not an unsigned fade of 49 days.
    RunStory("@bgmusic theme, -1, 50\n");
    EXPECT_EQ(sound.FadingMusic, nullptr);
    EXPECT_EQ(sound.MusicVolume, 50);
}

TEST_F(AudioCommandsTest, SilenceStopsOrFadesOutWhateverTheThirdParameter)
{
    RunStory("@bgmusic theme\n@bgmusic silence, 2000, nonsense\n");
    EXPECT_EQ(sound.Music, nullptr);
    EXPECT_EQ(sound.FadeOutRemaining, 2000u);
    RunStory("@bgmusic theme\n@bgmusic SILENCE\n");
    EXPECT_EQ(sound.Music, nullptr);
    EXPECT_EQ(sound.FadingMusic, nullptr);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('|').toStdString();
}

TEST_F(AudioCommandsTest, BgMusicVolChecksVolumeAndTime)
{
    RunStory("@bgmusic theme\n@bgmusicvol max, fade\n@bgmusicvol 300\n@bgmusicvol 10, soon\n");
    EXPECT_EQ(sound.MusicTargetVolume, 255);
    EXPECT_EQ(sound.MusicFadeRemaining, 1000u);
    Frame();
    Frame();
    EXPECT_EQ(Errors, QStringList({"Invalid volume in \"bgmusicvol\": 300.", "Invalid time in \"bgmusicvol\": soon."}));
}

TEST_F(AudioCommandsTest, BgSoundPlaysOnceOrLoopsAndLogsBeforeLookingForTheFile)
{
    RunStory("@bgsound rain, Once\n");
    EXPECT_NE(sound.BgSoundSample, nullptr);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 128);
    RunStory("@bgsound rain, , 128\n@bgsound rain, loop\n@bgsoundvol off\n");
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 128 * 128 / 255);
    Frame();
    EXPECT_EQ(Errors, QStringList{"Invalid effect in \"bgsound\": loop."});
    Frame();
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 0);
    EXPECT_TRUE(host.LogLines.contains(QStringLiteral("Playing bgsound \"rain\", vol=255.")));
    RunStory("@bgsound Silence\n");
    EXPECT_EQ(sound.BgSoundSample, nullptr);
}

TEST_F(AudioCommandsTest, SoundWaitEndsWithTheEffectOrItsTimeAndCutsWhenAsked)
{
    EXPECT_NEAR(RunStory("@sound door\n"), 300, 10);    // the effect ends first
    EXPECT_NEAR(RunStory("@sound bell\n"), 500, 10);    // the default wait ends first
    EXPECT_NEAR(RunStory("@sound bell, , , WaitEnd\n"), 2000, 10);
    EXPECT_EQ(RunStory("@sound bell, , , NOWAIT\n"), 0u);
    EXPECT_TRUE(sound.IsSoundPlaying());
    EXPECT_NEAR(RunStory("@sound bell, CUT, 255, 300\n"), 300, 10);
    EXPECT_FALSE(sound.IsSoundPlaying());
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(8), 128);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('|').toStdString();
}

TEST_F(AudioCommandsTest, SoundParameterErrorsPlayNothing)
{
    RunStory("@sound door, , , abc\n@sound door, loud\n@sound door, , 256\n@sound\n");
    Frames(3);
    EXPECT_EQ(Errors, QStringList({"Invalid wait parameter in \"sound\": abc.", "Invalid effect in \"sound\": loud.",
                                   "Invalid volume in \"sound\": 256.", "Illegal \"sound\". No file specified."}));
    EXPECT_EQ(sound.EffectSample, nullptr);
}

TEST_F(AudioCommandsTest, MissingFilesAreLoggedTwiceAndStartNoWait)
{
    EXPECT_EQ(RunStory("@sound missing\n@bgmusic gone\n"), 0u);
    EXPECT_EQ(host.LogLines, QStringList({"Setting bg: none", "Playing sound \"missing\", vol=200.",
                                          "Sound file not found: \"missing\"", "BgMusic file not found: \"gone\""}));
    missingFiles.SkipMissingFiles = false;
    RunStory("@bgsound nothere\n");
    EXPECT_EQ(Errors, QStringList{"BgSound file not found: \"nothere\""});
}

TEST_F(AudioCommandsTest, ResetStopsMusicAndBackgroundSoundButNotTheEffect)
{
    RunStory("@bgmusic theme\n@bgsound rain\n@sound bell, , , nowait\n@reset\n");
    EXPECT_EQ(sound.Music, nullptr);
    EXPECT_EQ(sound.BgSoundSample, nullptr);
    EXPECT_TRUE(sound.IsSoundPlaying());
}
