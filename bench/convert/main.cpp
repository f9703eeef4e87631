// Transcodes a 60 s 1080p clip (made here with ffmpeg's test sources) through the
// program's converter and through the ffmpeg command line with the same settings (H.264
// veryfast baseline, AAC), in the same run, and prints both wall times and the speed
// ratio (ours relative to the command line; the goal is at least 0.95). Then measures
// how long a trim from 50 s into the clip takes to its first output packet.
#include "media/CAVConverter.h"
#include "platform/codec/calvorine_codec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<int> g_state{0};

void onProgress(int, void*, int state) {
    if (state == 1 || state == 2 || state == 5) {
        g_state = state;
    }
}

bool runFfmpeg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + arguments);
    return process.waitForFinished(-1) && process.exitCode() == 0;
}

ConvertParam h264Param() {
    ConvertParam param;
    param.setName("mp4");
    param.videoCodecId = 28;      // H.264: veryfast, baseline (the encoder pair of H.264)
    param.audioCodecId = 0x15002; // AAC
    return param;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    cvcodec_set_log_level(0);
    QTemporaryDir dir;
    const QString clip = dir.filePath("clip1080.mkv");
    std::printf("making a 60 s 1920x1080 30 fps clip with sound...\n");
    if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=30", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=48000", "-t", "60", "-c:v", "libx264", "-preset", "ultrafast",
                    "-pix_fmt", "yuv420p", "-c:a", "aac", clip})) {
        std::fprintf(stderr, "could not make the clip\n");
        return 1;
    }

    // The command line with the settings our converter uses for this format.
    QElapsedTimer timer;
    timer.start();
    if (!runFfmpeg({"-i", clip, "-c:v", "libx264", "-preset", "veryfast", "-profile:v", "baseline", "-pix_fmt",
                    "yuv420p", "-c:a", "aac", dir.filePath("ffmpeg.mp4")})) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    const double ffmpegSeconds = timer.nsecsElapsed() / 1e9;

    ConvertParam param = h264Param();
    CAVConverter converter;
    timer.restart();
    g_state = 0;
    if (!converter.startConvert(clip.toUtf8().constData(), dir.filePath("ours.mp4").toUtf8().constData(), &param,
                                nullptr, &onProgress, false)) {
        std::fprintf(stderr, "our conversion did not start\n");
        return 1;
    }
    while (g_state == 0) {
        QThread::msleep(5);
    }
    const double oursSeconds = timer.nsecsElapsed() / 1e9;
    if (g_state != 2) {
        std::fprintf(stderr, "our conversion failed (state %d)\n", g_state.load());
        return 1;
    }

    std::printf("transcode 60 s 1080p (H.264 veryfast baseline + AAC):\n");
    std::printf("  ffmpeg command line: %.2f s (%.1f fps)\n", ffmpegSeconds, 1800 / ffmpegSeconds);
    std::printf("  calvorine converter: %.2f s (%.1f fps)\n", oursSeconds, 1800 / oursSeconds);
    std::printf("  speed ratio (ours / ffmpeg): %.3f (goal >= 0.95)\n", ffmpegSeconds / oursSeconds);

    // Trim from 50 s: the time from the start to the first output packet.
    cvcodec_params params = cvcodec_params_create();
    configureParams(params, param);
    cvcodec_converter trim = cvcodec_converter_create(-1);
    timer.restart();
    if (!cvcodec_converter_open(trim, clip.toUtf8().constData(), dir.filePath("trim.mp4").toUtf8().constData(), "mp4",
                                params)) {
        std::fprintf(stderr, "trim open failed\n");
        return 1;
    }
    const double openSeconds = timer.nsecsElapsed() / 1e9;
    cvcodec_converter_set_range(trim, 50000000, 5000000);
    cvcodec_converter_start(trim);
    while (cvcodec_converter_first_output_delay(trim) == 0 && !cvcodec_converter_is_finished(trim)) {
        QThread::usleep(500);
    }
    const double firstFrame = cvcodec_converter_first_output_delay(trim) / 1e6;
    cvcodec_converter_close(trim);
    cvcodec_converter_release(trim);
    cvcodec_params_release(params);
    std::printf("trim from 50 s: open %.3f s, first output frame %.3f s after the start (%.3f s in all)\n", openSeconds,
                firstFrame, openSeconds + firstFrame);
    return 0;
}
