#include "support/TempDir.h"

#include <QProcess>

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int MixRate = 44100;
constexpr int WindowFrames = MixRate / 10;
constexpr double HarbourDrone = 110.0;
constexpr double BoatsDrone = 147.0;

// The demo played in real time on SDL's "disk" driver, which writes the mix
// as raw 16-bit stereo frames, the format the player opens the device with;
// its menu and seat buttons are answered at once.
std::vector<double> RecordDemoMix(const QString& rawFile)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), rawFile);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KVT_BINARY),
                  {"--headless", "--auto", "--strict", "--input", "key down; key enter; click 280 332",
                   QStringLiteral(KVT_SOURCE_DIR "/examples/demo/demo.kvt")});
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    const QByteArray raw = ReadFileBytes(rawFile);
    std::vector<double> mono(size_t(raw.size()) / 4);
    const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = (samples[2 * i] + samples[2 * i + 1]) / 2.0;
    return mono;
}

// Amplitude of one frequency in a Hann-windowed stretch (Goertzel).
double ToneLevel(const double* x, int count, double frequency)
{
    const double k = 2 * std::cos(2 * M_PI * frequency / MixRate);
    double s1 = 0, s2 = 0, weights = 0;
    for (int i = 0; i < count; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * i / (count - 1));
        weights += w;
        const double s0 = x[i] * w + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / weights;
}

struct TLevels {
    std::vector<double> Harbour, Boats;  // per tenth of a second
};

TLevels DroneLevels(const std::vector<double>& mono)
{
    TLevels levels;
    for (size_t at = 0; at + WindowFrames <= mono.size(); at += WindowFrames) {
        levels.Harbour.push_back(ToneLevel(&mono[at], WindowFrames, HarbourDrone));
        levels.Boats.push_back(ToneLevel(&mono[at], WindowFrames, BoatsDrone));
    }
    return levels;
}

} // namespace

// Each theme has a drone of its own, so the recording tells which piece
// sounds how loud: the harbour theme alone, then a cross-fade in which one
// falls while the other rises, then the boats' theme alone, without a dip
// where it moves from its intro to the mixer's music stream, until the
// story fades it out.
TEST(SoundMix, DemoMusicSoundsAndCrossFadesInTheRecordedMix)
{
    TTempDir dir;
    const TLevels levels = DroneLevels(RecordDemoMix(dir.File(QStringLiteral("mix.raw"))));
    ASSERT_GT(levels.Harbour.size(), 30u);
    const double harbourTop = *std::max_element(levels.Harbour.begin(), levels.Harbour.end());
    const double boatsTop = *std::max_element(levels.Boats.begin(), levels.Boats.end());
    EXPECT_GT(harbourTop, 1000);  // of 32767: clearly not silent
    EXPECT_GT(boatsTop, 1000);

    auto alone = [](const std::vector<double>& on, double onTop, const std::vector<double>& off, double offTop,
                     size_t i) { return on[i] > 0.8 * onTop && off[i] < 0.1 * offTop; };
    auto between = [](double level, double top) { return level > 0.2 * top && level < 0.8 * top; };
    std::vector<size_t> harbourAlone, boatsAlone, crossing;
    for (size_t i = 0; i < levels.Harbour.size(); ++i) {
        if (alone(levels.Harbour, harbourTop, levels.Boats, boatsTop, i))
            harbourAlone.push_back(i);
        if (alone(levels.Boats, boatsTop, levels.Harbour, harbourTop, i))
            boatsAlone.push_back(i);
        if (between(levels.Harbour[i], harbourTop) && between(levels.Boats[i], boatsTop))
            crossing.push_back(i);
    }
    ASSERT_GE(harbourAlone.size(), 3u);
    ASSERT_GE(boatsAlone.size(), 3u);
    ASSERT_GE(crossing.size(), 8u);  // about 1.2 s of the 2 s fade lies between 20 % and 80 %
    EXPECT_LT(harbourAlone.back(), crossing.front());
    EXPECT_LT(crossing.back(), boatsAlone.front());
    EXPECT_EQ(boatsAlone.back() - boatsAlone.front() + 1, boatsAlone.size());
    // It ends with the story's fade-out, not by running out of its intro.
    size_t silent = boatsAlone.back();
    while (silent < levels.Boats.size() && levels.Boats[silent] > 0.1 * boatsTop)
        ++silent;
    EXPECT_GE(silent - boatsAlone.back(), 5u);
    EXPECT_GT(levels.Harbour[crossing.front()], levels.Harbour[crossing.back()] + 0.3 * harbourTop);
    EXPECT_LT(levels.Boats[crossing.front()] + 0.3 * boatsTop, levels.Boats[crossing.back()]);
}
