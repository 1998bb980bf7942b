#pragma once

// The project's own sound generator: a few synthesised pieces for the demo
// story and the benchmarks, written as Ogg Vorbis, so no recorded audio of
// unknown origin enters the repository.

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr int SampleRate = 22050;

// Mono samples in -1..1.
using TSamples = std::vector<float>;

// Music loops: a steady drone under a plucked pentatonic tune. The drones
// (110 Hz and 147 Hz) fit a whole number of cycles into the loop, so the
// loop point does not click, and are far enough apart for a test to tell
// which piece sounds.
TSamples HarbourTheme(double seconds);
TSamples BoatsTheme(double seconds);
// Ambience: soft hiss with scattered drops, bright enough to leave the
// drones' frequencies clear.
TSamples Rain(double seconds);
// An effect: a ship's horn that swells and fades.
TSamples Horn(double seconds);

// The same piece the way stories usually ship music, 44.1 kHz stereo
// (interleaved), so decoding it costs what a real piece costs.
constexpr int StudioRate = 2 * SampleRate;
TSamples StudioStereo(const TSamples& mono);

// Raises std::runtime_error when the file cannot be written. More than one
// channel: `samples` are interleaved.
void WriteOggVorbis(const std::string& fileName, const TSamples& samples, float quality, int rate = SampleRate,
                    int channels = 1);

} // namespace synth
