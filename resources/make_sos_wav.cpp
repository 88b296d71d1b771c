// Build-time tool: writes the alarm sound to the path given as its only argument.
#include "resources/SosWave.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    const SosWaveShape shape;
    if (!WriteWaveFile(argv[1], WaveFileBytes(SosSamples(shape), shape.sampleRate))) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
