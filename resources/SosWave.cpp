#include "resources/SosWave.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {
void AppendSilence(std::vector<std::int16_t>& out, int ms, int sampleRate) {
    out.insert(out.end(), static_cast<std::size_t>(ms) * sampleRate / 1000, 0);
}

void AppendTone(std::vector<std::int16_t>& out, int ms, const SosWaveShape& shape) {
    const int count = ms * shape.sampleRate / 1000;
    const int fade = std::max(1, shape.fadeMs * shape.sampleRate / 1000);
    for (int i = 0; i < count; ++i) {
        // Linear fades at both ends; the last sample lands on zero.
        const double envelope = std::min({1.0, double(i) / fade, double(count - 1 - i) / fade});
        const double phase = 2.0 * std::numbers::pi * shape.frequencyHz * i / shape.sampleRate;
        out.push_back(
            static_cast<std::int16_t>(std::lround(32767.0 * shape.amplitude * envelope * std::sin(phase))));
    }
}

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
} // namespace

std::vector<std::int16_t> SosSamples(const SosWaveShape& shape) {
    std::vector<std::int16_t> out;
    const int letters[3] = {shape.shortMs, shape.longMs, shape.shortMs};
    for (int letter = 0; letter < 3; ++letter) {
        if (letter > 0)
            AppendSilence(out, shape.letterGapMs, shape.sampleRate);
        for (int element = 0; element < 3; ++element) {
            if (element > 0)
                AppendSilence(out, shape.elementGapMs, shape.sampleRate);
            AppendTone(out, letters[letter], shape);
        }
    }
    return out;
}

std::vector<std::uint8_t> WaveFileBytes(const std::vector<std::int16_t>& samples, int sampleRate) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    auto tag = [&out](const char* text) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(text[i]));
    };
    tag("RIFF");
    PutLE(out, 36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    PutLE(out, 16, 4);             // size of the format chunk
    PutLE(out, 1, 2);              // PCM
    PutLE(out, 1, 2);              // mono
    PutLE(out, sampleRate, 4);     // samples a second
    PutLE(out, sampleRate * 2, 4); // bytes a second
    PutLE(out, 2, 2);              // bytes a frame
    PutLE(out, 16, 2);             // bits a sample
    tag("data");
    PutLE(out, dataBytes, 4);
    for (std::int16_t sample : samples)
        PutLE(out, static_cast<std::uint16_t>(sample), 2);
    return out;
}

bool WriteWaveFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
