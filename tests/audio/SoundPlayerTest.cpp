#include "audio/SoundPlayer.h"
#include "engine/Exceptions.h"
#include "support/SoundFiles.h"
#include "support/TempDir.h"

#include <QStringList>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

class SoundPlayerTest : public testing::Test {
protected:
    // Frames of 10 ms of virtual time.
    void Run(uint32_t ms)
    {
        for (uint32_t done = 0; done < ms; done += 10) {
            clock.Advance(10);
            player.Update();
        }
    }

    QString Tone(const QString& name, int ms = 1000) { return dir.Write(name, ToneWav(ms)); }

    std::string ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const Exception& e) {
            return e.Message().toStdString();
        }
        return "(no error)";
    }

    TTempDir dir;
    TVirtualClock clock;
    QStringList log;
    TSoundPlayer player{clock, [this](const QString& line) { log.append(line); }};
};

} // namespace

TEST_F(SoundPlayerTest, CrossFadeMovesBothPiecesLinearlyAndEndsWithTheOldOneStopped)
{
    player.Update();
    player.PlayMusic(Tone("a.wav"), 200, 0);
    EXPECT_EQ(player.MusicVolume, 200);
    EXPECT_EQ(player.MixerMusicVolume(9), 200 * 128 / 255);

    player.PlayMusic(Tone("b.wav"), 100, 2000);
    EXPECT_EQ(player.MusicChannel, 10);
    EXPECT_EQ(player.FadingChannel, 9);
    EXPECT_EQ(player.MixerMusicVolume(10), 0);  // the new piece starts silent
    Run(1000);
    EXPECT_NEAR(player.FadingVolume, 100, 2);
    EXPECT_NEAR(player.MusicVolume, 50, 2);
    EXPECT_EQ(player.MixerMusicVolume(10), int(player.MusicVolume) * 128 / 255);
    EXPECT_EQ(player.MixerMusicVolume(9), int(player.FadingVolume) * 128 / 255);
    Run(1010);
    EXPECT_EQ(player.FadingMusic, nullptr);
    EXPECT_EQ(player.MusicVolume, 100);
}

TEST_F(SoundPlayerTest, SecondCrossFadeCutsThePieceStillFading)
{
    player.PlayMusic(Tone("a.wav"), 100, 0);
    player.PlayMusic(Tone("b.wav"), 100, 2000);
    const TMusicStream* second = player.Music.get();
    Run(500);
    player.PlayMusic(Tone("c.wav"), 100, 2000);
    EXPECT_EQ(player.FadingMusic.get(), second);
    EXPECT_EQ(player.FadingChannel, 10);
    EXPECT_EQ(player.MusicChannel, 9);  // the cut piece's channel is free again
}

TEST_F(SoundPlayerTest, ElapsedTimeBeyondTheFadeReachesTheGoalInOneStep)
{
    player.Update();
    player.PlayMusic(Tone("a.wav"), 40, 0);
    player.PlayMusic(Tone("b.wav"), 80, 300);
    ASSERT_NE(player.FadingMusic, nullptr);
    player.SetMusicVolume(255, 500);
    clock.Advance(800);
    player.Update();
    EXPECT_EQ(player.MusicVolume, 255);
    EXPECT_EQ(player.MusicFadeRemaining, 0u);
    EXPECT_EQ(player.FadingMusic, nullptr);
}

TEST_F(SoundPlayerTest, FirstUpdateSeesNoElapsedTime)
{
    player.PlayMusic(Tone("a.wav"), 100, 1000);
    clock.Advance(700);
    player.Update();
    EXPECT_EQ(player.MusicVolume, 0);
    EXPECT_EQ(player.MusicFadeRemaining, 1000u);
}

TEST_F(SoundPlayerTest, NoFileStopsAtOnceOrFadesOut)
{
    player.Update();
    player.PlayMusic(Tone("a.wav"), 100, 0);
    player.PlayMusic(QString(), 0, 0);
    EXPECT_EQ(player.Music, nullptr);
    EXPECT_EQ(player.FadingMusic, nullptr);

    player.PlayMusic(Tone("a.wav"), 100, 0);
    player.PlayMusic(QString(), 0, 500);
    EXPECT_EQ(player.Music, nullptr);
    Run(250);
    EXPECT_NEAR(player.FadingVolume, 50, 2);
    Run(260);
    EXPECT_EQ(player.FadingMusic, nullptr);
}

TEST_F(SoundPlayerTest, FilesThatCannotBeLoadedRaiseAndLeaveThePlayingSoundsAlone)
{
    player.PlayMusic(Tone("a.wav"), 100, 0);
    player.PlayBgSound(Tone("rain.wav"), false, 255);
    const TMusicStream* music = player.Music.get();
    const TSample* bgSound = player.BgSoundSample.get();
    const QString missing = dir.File("none.ogg");
    const QString text = dir.Write("text.ogg", "just some words, no audio at all");
    const QString empty = dir.Write("empty.wav", QByteArray());
    const QString truncated = dir.Write("cut.wav", ToneWav(100).left(30));
    const QString corrupt = dir.Write("corrupt.ogg", QByteArray("OggS") + QByteArray(4000, '\x5A'));

    EXPECT_EQ(ErrorOf([&] { player.PlayMusic(missing, 100, 1000); }),
              "Cannot load \"" + missing.toStdString() + "\". FMOD error 9. File not found.");
    EXPECT_EQ(ErrorOf([&] { player.PlayMusic(text, 100, 1000); }),
              "Cannot load \"" + text.toStdString() + "\". FMOD error 10. Unknown file format.");
    EXPECT_EQ(ErrorOf([&] { player.PlayMusic(corrupt, 100, 1000); }),
              "Cannot load \"" + corrupt.toStdString() + "\". FMOD error 11. Error loading file.");
    for (const QString& file : {missing, text, empty, truncated, corrupt}) {
        EXPECT_NE(ErrorOf([&] { player.PlayBgSound(file, true, 10); }).find("Cannot load"), std::string::npos);
        EXPECT_NE(ErrorOf([&] { player.PlaySound(file, 10); }).find("Cannot load"), std::string::npos);
    }
    EXPECT_EQ(player.Music.get(), music);
    EXPECT_EQ(player.FadingMusic, nullptr);
    EXPECT_EQ(player.BgSoundSample.get(), bgSound);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 128);
}

// Loading the new file has already replaced the slot's sample, so a file
// without a single frame of audio leaves the slot empty.
TEST_F(SoundPlayerTest, AFileWithoutAudioCannotBePlayedAndEmptiesTheSlot)
{
    player.PlayBgSound(Tone("rain.wav"), false, 255);
    const QString silent = dir.Write("silent.wav", ToneWav(0));
    EXPECT_EQ(ErrorOf([&] { player.PlayBgSound(silent, true, 255); }),
              "Cannot play \"" + silent.toStdString() + "\". FMOD error 5. Playing the sound failed.");
    EXPECT_EQ(player.BgSoundSample, nullptr);
    EXPECT_FALSE(TSoundPlayer::ChannelPlaying(0));
    EXPECT_NE(ErrorOf([&] { player.PlaySound(silent, 200); }).find("Cannot play"), std::string::npos);
    EXPECT_FALSE(player.IsSoundPlaying());
}

TEST(SoundPlayerErrors, CodesBeyondTheTableAreUnknown)
{
    EXPECT_EQ(TSoundPlayer::FmodErrorText(0), QStringLiteral("No errors"));
    EXPECT_EQ(TSoundPlayer::FmodErrorText(19), QStringLiteral("An error occured trying to open the specified CD device"));
    EXPECT_EQ(TSoundPlayer::FmodErrorText(25), QStringLiteral("Unknown error"));
    EXPECT_EQ(TSoundPlayer::FmodErrorText(-1), QStringLiteral("Unknown error"));
}

TEST_F(SoundPlayerTest, EffectPlaysForItsLengthInVirtualTimeUntilStoppedOrReplaced)
{
    player.PlaySound(Tone("door.wav", 300), 200);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(8), 200 * 128 / 255);
    clock.Advance(290);
    EXPECT_TRUE(player.IsSoundPlaying());
    clock.Advance(10);
    EXPECT_FALSE(player.IsSoundPlaying());

    player.PlaySound(Tone("bell.wav", 2000), 200);
    EXPECT_TRUE(player.IsSoundPlaying());
    player.StopSound();
    EXPECT_FALSE(player.IsSoundPlaying());
    EXPECT_FALSE(TSoundPlayer::ChannelPlaying(8));
}

TEST_F(SoundPlayerTest, BackgroundSoundLoopsOrPlaysOnceAndStopsWithoutAFile)
{
    player.PlayBgSound(Tone("rain.wav"), false, 100);
    EXPECT_TRUE(TSoundPlayer::ChannelPlaying(0));
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 100 * 128 / 255);
    player.SetBgSoundVolume(255);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 128);
    player.PlayBgSound(QString(), false, 0);
    EXPECT_EQ(player.BgSoundSample, nullptr);
    EXPECT_FALSE(TSoundPlayer::ChannelPlaying(0));
}

TEST(SoundPlayerDevice, MissingAudioDeviceFallsBackToSilenceWithOneLogLine)
{
    const QByteArray saved = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    TVirtualClock clock;
    QStringList log;
    {
        TSoundPlayer player(clock, [&log](const QString& line) { log.append(line); });
        player.PlayBgSound(QString(), false, 0);
    }
    qputenv("SDL_AUDIODRIVER", saved);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Sound: no audio device"))) << log[0].toStdString();
}

// The reader's volumes scale the script's at once, and the script's later
// volumes and fades stay scaled rather than overriding the reader.
TEST_F(SoundPlayerTest, ReaderVolumesScaleWhatTheScriptPlays)
{
    player.Update();
    player.PlayMusic(Tone("a.wav"), 200, 0);
    player.PlayBgSound(Tone("rain.wav"), false, 255);
    player.SetReaderVolumes(51, 128, 0);
    EXPECT_EQ(player.MixerMusicVolume(9), 40 * 128 / 255);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(0), 128 * 128 / 255);
    player.SetMusicVolume(100, 1000);
    Run(1010);
    EXPECT_EQ(player.MusicVolume, 100) << "the script's own volume is kept as it set it";
    EXPECT_EQ(player.MixerMusicVolume(9), 20 * 128 / 255);
    player.PlaySound(Tone("horn.wav"), 200);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(8), 0);
    player.SetReaderVolumes(255, 255, 255);
    EXPECT_EQ(TSoundPlayer::MixerChannelVolume(8), 200 * 128 / 255);
}
