// BGRA screen pictures to yuv420p (BT.601, limited range), as the recorder's encoder side
// needs them: libswscale (bicubic, the way the recorder used it) against libyuv's
// ARGBToI420, alternately in the same run. Prints the median thread CPU time per picture
// of each, their ratio, and how far the two outputs lie apart, for 1920x1080 and for an
// odd size. Usage: bench_colour_convert [pictures]
#include <libyuv.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Screen-like content: smooth gradients, flat areas, hard-edged bars and fine text-like
// detail.
std::vector<uint8_t> makePicture(int width, int height, int stride) {
    std::vector<uint8_t> bgra(size_t(stride) * size_t(height));
    uint32_t noise = 2463534242u;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bgra.data() + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            uint8_t b = uint8_t(x * 255 / width);
            uint8_t g = uint8_t(y * 255 / height);
            uint8_t r = uint8_t((x + y) / 8);
            if ((x / 97) % 3 == 1) {
                b = g = r = 240; // a flat window
            }
            if ((y / 19) % 5 == 2 && (x / 7) % 4 != 0) {
                b = g = r = uint8_t(noise & 1 ? 20 : 230); // text
            }
            row[x * 4 + 0] = b;
            row[x * 4 + 1] = g;
            row[x * 4 + 2] = r;
            row[x * 4 + 3] = 255;
        }
    }
    return bgra;
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Planes {
    int width = 0;
    int height = 0;
    int chromaWidth = 0;
    int chromaHeight = 0;
    std::vector<uint8_t> y, u, v;
    Planes(int w, int h) : width(w), height(h), chromaWidth((w + 1) / 2), chromaHeight((h + 1) / 2) {
        y.assign(size_t(w) * size_t(h), 0);
        u.assign(size_t(chromaWidth) * size_t(chromaHeight), 0);
        v.assign(u.size(), 0);
    }
};

struct Difference {
    int maxY = 0;
    int maxChroma = 0;
    double meanY = 0;
    double meanChroma = 0;
};

Difference compare(const Planes& a, const Planes& b) {
    Difference d;
    double sum = 0;
    for (size_t i = 0; i < a.y.size(); ++i) {
        const int e = std::abs(int(a.y[i]) - int(b.y[i]));
        d.maxY = std::max(d.maxY, e);
        sum += e;
    }
    d.meanY = sum / double(a.y.size());
    sum = 0;
    for (size_t i = 0; i < a.u.size(); ++i) {
        const int eu = std::abs(int(a.u[i]) - int(b.u[i]));
        const int ev = std::abs(int(a.v[i]) - int(b.v[i]));
        d.maxChroma = std::max({d.maxChroma, eu, ev});
        sum += eu + ev;
    }
    d.meanChroma = sum / double(2 * a.u.size());
    return d;
}

void run(int width, int height, int pictures) {
    const int stride = width * 4;
    const std::vector<uint8_t> bgra = makePicture(width, height, stride);
    Planes scaled(width, height);
    Planes direct(width, height);
    SwsContext* context = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                         nullptr, nullptr, nullptr);
    if (!context) {
        std::printf("%dx%d: libswscale refused the conversion\n", width, height);
        return;
    }
    const uint8_t* source[4] = {bgra.data(), nullptr, nullptr, nullptr};
    const int sourceStride[4] = {stride, 0, 0, 0};
    uint8_t* target[4] = {scaled.y.data(), scaled.u.data(), scaled.v.data(), nullptr};
    const int targetStride[4] = {width, scaled.chromaWidth, scaled.chromaWidth, 0};

    std::vector<double> swscaleTimes;
    std::vector<double> libyuvTimes;
    for (int i = 0; i < pictures; ++i) {
        double start = threadSeconds();
        sws_scale(context, source, sourceStride, 0, height, target, targetStride);
        swscaleTimes.push_back(threadSeconds() - start);
        start = threadSeconds();
        libyuv::ARGBToI420(bgra.data(), stride, direct.y.data(), width, direct.u.data(), direct.chromaWidth,
                           direct.v.data(), direct.chromaWidth, width, height);
        libyuvTimes.push_back(threadSeconds() - start);
    }
    sws_freeContext(context);
    std::sort(swscaleTimes.begin(), swscaleTimes.end());
    std::sort(libyuvTimes.begin(), libyuvTimes.end());
    const double a = swscaleTimes[swscaleTimes.size() / 2] * 1000;
    const double b = libyuvTimes[libyuvTimes.size() / 2] * 1000;
    const Difference d = compare(scaled, direct);
    std::printf("%4dx%-4d  libswscale %6.3f ms  libyuv %6.3f ms  (median CPU per picture of %d)  ratio %.2f"
                "  |  output difference: luma max %d mean %.3f, chroma max %d mean %.3f\n",
                width, height, a, b, pictures, b / a, d.maxY, d.meanY, d.maxChroma, d.meanChroma);
}

} // namespace

int main(int argc, char** argv) {
    const int pictures = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::printf("BGRA to yuv420p, alternately libswscale (bicubic) and libyuv ARGBToI420, one thread\n");
    run(1920, 1080, pictures);
    run(1279, 719, pictures);
    return 0;
}
