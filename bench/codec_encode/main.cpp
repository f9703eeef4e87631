// Pushes 1920x1080 frames from memory into the recorder as fast as its encoder takes
// them (H.264, ultrafast and veryfast), then has the ffmpeg command line encode the same
// raw frames with the same settings, and prints both speeds, both CPU times and the
// ratios. Usage: bench_codec_encode [frames]
#include "platform/codec/calvorine_codec.h"
#include "platform/system/clock.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFrameRate = 30;
constexpr int kQuality = 70; // the library's percent; crf 23 for libx264
constexpr int kCrf = 23;
constexpr int kDistinctFrames = 12;

struct Measure {
    double seconds = 0.0;
    double cpuSeconds = 0.0;
    double pushMeanMs = 0.0; // the caller's cost of one video push
    double pushMedianMs = 0.0;
    double pushMaxMs = 0.0;
};

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double megabytes(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? double(info.st_size) / 1e6 : 0.0;
}

double now() {
    return double(calvorine::platform::monotonicMicroseconds()) / 1e6;
}

// Screen-like pictures: flat areas, sharp edges and a moving window.
std::vector<std::vector<uint8_t>> makeFrames() {
    std::vector<std::vector<uint8_t>> frames(kDistinctFrames);
    for (int f = 0; f < kDistinctFrames; ++f) {
        std::vector<uint8_t>& pixels = frames[size_t(f)];
        pixels.resize(size_t(kWidth) * kHeight * 4);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                uint8_t* at = &pixels[(size_t(y) * kWidth + size_t(x)) * 4];
                const bool window = x > 200 + f * 40 && x < 1100 + f * 40 && y > 150 + f * 10 && y < 800 + f * 10;
                const bool text = window && (y / 3) % 7 < 2 && ((x * 13 + y * 7) / 9) % 5 < 3;
                at[0] = text ? 20 : (window ? 240 : uint8_t(80 + y / 8));
                at[1] = text ? 20 : (window ? 240 : uint8_t(60 + x / 16));
                at[2] = text ? 20 : (window ? 240 : 120);
                at[3] = 255;
            }
        }
    }
    return frames;
}

Measure runLibrary(const std::vector<std::vector<uint8_t>>& frames, int count, int preset, const std::string& path) {
    cvcodec_set_log_level(1);
    cvcodec_params params = cvcodec_params_create();
    cvcodec_params_set_video_codec(params, CVCODEC_H264);
    cvcodec_params_set_audio_codec(params, CVCODEC_NONE);
    cvcodec_params_set_speed_preset(params, preset);
    cvcodec_params_set_profile(params, 66);
    cvcodec_params_set_video_size(params, kWidth, kHeight);
    cvcodec_params_set_frame_rate(params, kFrameRate, 1);
    cvcodec_params_set_video_quality(params, kQuality);
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double begin = now();
    if (!cvcodec_recorder_open(recorder, path.c_str(), "mp4", params)) {
        std::fprintf(stderr, "the recorder did not open %s\n", path.c_str());
        std::exit(1);
    }
    cvcodec_params_release(params);
    cvcodec_frame frame = cvcodec_frame_create();
    std::vector<double> pushMs;
    pushMs.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        // Wait while the queue is nearly full, so that no frame is dropped.
        while (cvcodec_recorder_queued_video_frames(recorder) >= 6)
            calvorine::platform::sleepForMicroseconds(200);
        cvcodec_frame_set_pixel_format(frame, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(frame, kWidth, kHeight);
        cvcodec_frame_set_plane(frame, 0, frames[size_t(i % kDistinctFrames)].data(), kWidth * 4);
        cvcodec_frame_set_timestamp(frame, int64_t(i) * 1000000 / kFrameRate);
        const double pushBegin = now();
        cvcodec_recorder_push_video(recorder, frame);
        pushMs.push_back((now() - pushBegin) * 1e3);
    }
    cvcodec_recorder_stop(recorder);
    const double end = now();
    const uint64_t dropped = cvcodec_recorder_dropped_frames(recorder, 1);
    cvcodec_frame_release(frame);
    cvcodec_recorder_release(recorder);
    if (dropped)
        std::fprintf(stderr, "warning: %llu frames dropped\n", static_cast<unsigned long long>(dropped));
    Measure measure{end - begin, cpuSeconds(RUSAGE_SELF) - cpuBefore};
    double totalMs = 0.0;
    for (double ms : pushMs)
        totalMs += ms;
    std::sort(pushMs.begin(), pushMs.end());
    measure.pushMeanMs = totalMs / count;
    measure.pushMedianMs = pushMs[pushMs.size() / 2];
    measure.pushMaxMs = pushMs.back();
    return measure;
}

Measure runCommandLine(const std::vector<std::vector<uint8_t>>& frames, int count, const char* preset,
                       const std::string& path) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        std::exit(1);
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    const std::string rate = std::to_string(kFrameRate);
    const std::string crf = std::to_string(kCrf);
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    const double begin = now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[0], 0);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execlp("ffmpeg", "ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "bgr0", "-s", size.c_str(), "-r",
               rate.c_str(), "-i", "-", "-sws_flags", "bicubic", "-c:v", "libx264", "-preset", preset, "-tune",
               "zerolatency", "-profile:v", "baseline", "-pix_fmt", "yuv420p", "-crf", crf.c_str(), "-g", rate.c_str(),
               "-bf", "0", "-movflags", "+frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "1000000",
               "-flush_packets", "1", "-f", "mp4", path.c_str(), nullptr);
        _exit(127);
    }
    close(pipeFds[0]);
    signal(SIGPIPE, SIG_IGN);
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t>& pixels = frames[size_t(i % kDistinctFrames)];
        size_t written = 0;
        while (written < pixels.size()) {
            const ssize_t n = write(pipeFds[1], pixels.data() + written, pixels.size() - written);
            if (n <= 0)
                break;
            written += size_t(n);
        }
    }
    close(pipeFds[1]);
    int status = 0;
    waitpid(child, &status, 0);
    const double end = now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "warning: ffmpeg ended with status %d\n", status);
    return {end - begin, cpuSeconds(RUSAGE_CHILDREN) - cpuBefore};
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(30, std::atoi(argv[1])) : 300;
    const std::vector<std::vector<uint8_t>> frames = makeFrames();
    char folder[] = "/tmp/bench_codec_encode_XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string ours = std::string(folder) + "/ours.mp4";
    const std::string theirs = std::string(folder) + "/ffmpeg.mp4";
    struct Preset {
        const char* name;
        int index;
    };
    for (const Preset preset : {Preset{"ultrafast", 0}, Preset{"veryfast", 2}}) {
        const Measure library = runLibrary(frames, count, preset.index, ours);
        const Measure commandLine = runCommandLine(frames, count, preset.name, theirs);
        const double ourFps = count / library.seconds;
        const double theirFps = count / commandLine.seconds;
        std::printf("H.264 %-9s %dx%d, %d frames: calvorine %.1f fps, %.2f CPU s, %.1f MB | ffmpeg CLI %.1f fps,"
                    " %.2f CPU s, %.1f MB | fps ratio %.2f, CPU ratio %.2f\n",
                    preset.name, kWidth, kHeight, count, ourFps, library.cpuSeconds, megabytes(ours), theirFps,
                    commandLine.cpuSeconds, megabytes(theirs), ourFps / theirFps,
                    library.cpuSeconds / commandLine.cpuSeconds);
        std::printf("H.264 %-9s video push: mean %.3f ms, median %.3f ms, max %.3f ms\n", preset.name,
                    library.pushMeanMs, library.pushMedianMs, library.pushMaxMs);
        std::fflush(stdout);
    }
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    rmdir(folder);
    return 0;
}
