// Shared by the codec library's tests: synthetic pictures and tones pushed through the
// library's entries in real time, and ffprobe / ffmpeg as the independent readers of
// what was written.
#pragma once

#include "platform/codec/calvorine_codec.h"
#include "tests/support/Ffprobe.h"
#include "tests/support/ToneStrength.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace codectest {

// A moving colour pattern, 32-bit BGRX, rows tightly packed.
std::vector<uint8_t> makePicture(int width, int height, int index);

// Interleaved signed 16-bit samples of a sine at the frequency, starting at sample
// `first` of the tone (so consecutive calls continue the wave).
std::vector<int16_t> makeTone(int frequencyHz, int sampleRate, int channels, int64_t first, int count);

// H.264 + AAC (or the codecs given), 30 fps, the size given.
cvcodec_params makeParams(int width, int height, int videoCodec = CVCODEC_H264, int audioCodec = CVCODEC_AAC);

struct PushPlan {
    int width = 320;
    int height = 240;
    double seconds = 1.0;
    bool audio = true;
    int toneHz = 440;
    int64_t audioClockOriginUs = 0; // the recording clock's origin (monotonic)
};

// Pushes pictures at 30 fps and 10 ms sound chunks in real time from the calling thread
// until the plan's seconds have passed. Sound is stamped like the capture threads do: by
// its place in the stream since the push began, so a late thread delays no sample.
void pushRealTime(cvcodec_recorder recorder, const PushPlan& plan);

// ffprobe's JSON for the file (streams and format, frames counted); empty on failure.
QJsonObject probe(const QString& path);
using ffprobe::formatDuration;
using ffprobe::stream;

// Every picture of the file shrunk by ffmpeg to 4 x 4 RGB, the middle pixel (1, 1) of
// each as R, G, B; empty on failure.
std::vector<std::array<int, 3>> pictureMiddles(const QString& path);

// The file's first audio stream decoded by ffmpeg to mono signed 16-bit at the rate.
std::vector<int16_t> decodeAudio(const QString& path, int sampleRate);

using soundtest::toneStrength;

// Threads of this process.
int threadCount();

} // namespace codectest
