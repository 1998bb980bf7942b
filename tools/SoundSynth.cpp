#include "SoundSynth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>

namespace synth {
namespace {

constexpr double Pi = 3.14159265358979323846;

size_t Length(double seconds)
{
    return size_t(seconds * SampleRate);
}

void AddSine(TSamples& out, double frequency, double amplitude)
{
    for (size_t i = 0; i < out.size(); ++i)
        out[i] += float(amplitude * std::sin(2 * Pi * frequency * double(i) / SampleRate));
}

// A plucked note: a few harmonics under a fast attack and a slow decay.
void AddPluck(TSamples& out, double start, double frequency, double amplitude)
{
    const size_t first = Length(start);
    const size_t count = std::min(Length(1.5), out.size() - std::min(first, out.size()));
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / SampleRate;
        const double envelope = std::min(1.0, t / 0.01) * std::exp(-3.0 * t);
        double value = 0;
        for (int harmonic = 1; harmonic <= 3; ++harmonic)
            value += std::sin(2 * Pi * frequency * harmonic * t) / (harmonic * harmonic);
        out[first + i] += float(amplitude * envelope * value);
    }
}

TSamples Theme(double seconds, double drone, const std::vector<double>& scale, const std::vector<int>& tune,
               double beat)
{
    TSamples out(Length(seconds), 0.0f);
    AddSine(out, drone, 0.3);
    for (size_t n = 0; beat * double(n) + 1.5 < seconds; ++n)
        AddPluck(out, beat * double(n), scale[size_t(tune[n % tune.size()])], 0.18);
    return out;
}

} // namespace

TSamples HarbourTheme(double seconds)
{
    // A minor pentatonic, slow and wistful.
    return Theme(seconds, 110.0, {440.0, 523.25, 587.33, 659.25, 783.99}, {0, 2, 3, 1, 4, 3, 2, 0}, 0.5);
}

TSamples BoatsTheme(double seconds)
{
    // D major pentatonic, a little livelier.
    return Theme(seconds, 147.0, {587.33, 659.25, 739.99, 880.0, 987.77}, {0, 1, 2, 3, 2, 4, 3, 1, 0, 2}, 0.4);
}

TSamples Rain(double seconds)
{
    TSamples out(Length(seconds), 0.0f);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    float previous = 0;
    for (float& sample : out) {
        const float white = noise(random);
        sample = 0.25f * (white - previous);  // the difference leaves the low notes alone
        previous = white;
    }
    std::uniform_int_distribution<size_t> where(0, out.size() - 200);
    for (int drop = 0; drop < int(seconds * 12); ++drop) {
        const size_t at = where(random);
        for (size_t i = 0; i < 200; ++i)
            out[at + i] += float(0.3 * std::exp(-double(i) / 30.0) * std::sin(2 * Pi * 2500.0 * double(i) / SampleRate));
    }
    return out;
}

TSamples Horn(double seconds)
{
    TSamples out(Length(seconds), 0.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / SampleRate;
        const double envelope = std::min({1.0, t / 0.3, (seconds - t) / 0.6});
        double value = 0;
        for (int harmonic = 1; harmonic <= 6; ++harmonic)
            value += std::sin(2 * Pi * 185.0 * harmonic * t) / harmonic + 0.5 * std::sin(2 * Pi * 233.0 * harmonic * t) / harmonic;
        out[i] = float(0.25 * envelope * value);
    }
    return out;
}

TSamples StudioStereo(const TSamples& mono)
{
    TSamples out(mono.size() * 4);
    for (size_t i = 0; i < mono.size(); ++i) {
        const float next = i + 1 < mono.size() ? mono[i + 1] : mono[i];
        const float between = (mono[i] + next) / 2;
        out[4 * i] = mono[i];
        out[4 * i + 1] = 0.8f * mono[i];  // a little to the left
        out[4 * i + 2] = between;
        out[4 * i + 3] = 0.8f * between;
    }
    return out;
}

void WriteOggVorbis(const std::string& fileName, const TSamples& samples, float quality, int rate, int channels)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "wb"), &std::fclose);
    if (!file)
        throw std::runtime_error("cannot write " + fileName);
    auto writePage = [&file](const ogg_page& page) {
        std::fwrite(page.header, 1, size_t(page.header_len), file.get());
        std::fwrite(page.body, 1, size_t(page.body_len), file.get());
    };

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0)
        throw std::runtime_error("the Vorbis encoder refuses the settings");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);  // a fixed serial keeps the files reproducible

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        writePage(page);

    constexpr size_t Chunk = 1024;
    const size_t frames = samples.size() / size_t(channels);
    for (size_t done = 0; done <= frames;) {
        const size_t count = std::min(Chunk, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(count));
            for (size_t i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = std::clamp(samples[(done + i) * size_t(channels) + size_t(c)], -1.0f, 1.0f);
        }
        vorbis_analysis_wrote(&dsp, int(count));  // 0 marks the end
        done += count > 0 ? count : 1;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    writePage(page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        writePage(page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
}

} // namespace synth
