// Writes the demo story's music and sounds into its asset folders:
//   make_demo_sounds examples/demo
// The output is committed; run this again only to change the sounds.

#include "SoundSynth.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_sounds STORY_FOLDER\n");
        return 2;
    }
    const std::filesystem::path story = argv[1];
    try {
        std::filesystem::create_directories(story / "music");
        std::filesystem::create_directories(story / "sound");
        // Low quality keeps the files small; the pieces are simple enough.
        synth::WriteOggVorbis((story / "music" / "harbour.ogg").string(), synth::HarbourTheme(8.0), 0.0f);
        synth::WriteOggVorbis((story / "music" / "boats.ogg").string(), synth::BoatsTheme(8.0), 0.0f);
        synth::WriteOggVorbis((story / "sound" / "rain.ogg").string(), synth::Rain(4.0), -0.1f);
        synth::WriteOggVorbis((story / "sound" / "horn.ogg").string(), synth::Horn(2.5), 0.0f);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo_sounds: %s\n", e.what());
        return 1;
    }
    return 0;
}
