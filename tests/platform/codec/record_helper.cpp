// Records picture and sound into a file until it is killed (or the given seconds have
// passed), telling each whole second on standard output. The recorder's test kills it
// to see what a killed recording leaves behind; the tag tests take its finished files
// as the program's own recordings. Usage: FILE SECONDS [MUXER] (default "mp4"; "m4a"
// records sound alone).
#include "platform/codec/calvorine_codec.h"
#include "platform/system/clock.h"
#include "recording_helpers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    using calvorine::platform::monotonicMicroseconds;
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    const char* muxer = argc > 3 ? argv[3] : "mp4";
    const bool soundAlone = std::strcmp(muxer, "m4a") == 0;
    cvcodec_params params = codectest::makeParams(640, 360, soundAlone ? -1 : CVCODEC_H264);
    if (!cvcodec_recorder_open(recorder, argv[1], muxer, params))
        return 1;
    cvcodec_params_release(params);
    codectest::PushPlan plan;
    plan.width = 640;
    plan.height = 360;
    plan.audioClockOriginUs = monotonicMicroseconds();
    const int seconds = std::atoi(argv[2]);
    for (int second = 1; second <= seconds; ++second) {
        // Continue the sound's clock across the one-second pushes.
        codectest::pushRealTime(recorder, plan);
        std::printf("recorded %d\n", second);
        std::fflush(stdout);
    }
    cvcodec_recorder_release(recorder);
    return 0;
}
