#pragma once

// The alarm sound: Morse SOS (three short, three long, three short tones) as 16-bit mono PCM.
// No Qt here: the build runs this through a small tool to write sos.wav beside the program.

#include <cstdint>
#include <string>
#include <vector>

struct SosWaveShape {
    int sampleRate = 22050;
    double frequencyHz = 800.0;
    int shortMs = 120;
    int longMs = 360;
    int elementGapMs = 120; // between the tones of one letter
    int letterGapMs = 360;  // between letters, as Morse spaces them
    int fadeMs = 5;         // rise and fall of every tone, so it starts and stops without a click
    double amplitude = 0.6; // of full scale
};

std::vector<std::int16_t> SosSamples(const SosWaveShape& shape = {});
// A complete RIFF/WAVE file (PCM, mono, 16 bits) holding the samples.
std::vector<std::uint8_t> WaveFileBytes(const std::vector<std::int16_t>& samples, int sampleRate);
// Writes the file through a temporary beside it, so a half-written file never takes its place.
bool WriteWaveFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
