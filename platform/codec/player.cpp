#include "player.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace calvorine::codec {

namespace {

int64_t wallMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// How much decoded sound and how many pictures the engine keeps ahead of the clock.
constexpr int64_t kSoundAheadUs = 400000;
constexpr size_t kPicturesAhead = 6;
// The sound server's buffer: short, so that pause and seek are heard at once and the
// clock's latency correction stays small.
constexpr int64_t kServerBufferUs = 100000;
// The sound clock re-anchors the picture clock when they drift further apart than
// kResyncUs. A larger gap is a stall of the sound server (a sink waking up can hold the
// first writes for seconds): the pictures go on, and the sound catches up by dropping
// what has become stale.
constexpr int64_t kResyncUs = 20000;
constexpr int64_t kFollowLimitUs = 500000; // wireless sinks run 200-300 ms behind

struct PulseDeleter {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};
using PulsePtr = std::unique_ptr<pa_simple, PulseDeleter>;

} // namespace

Player::Player() : m_frame(av::makeFrame()), m_filtered(av::makeFrame()), m_packet(av::makePacket()) {}

Player::~Player() {
    close();
}

bool Player::isOpen() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<bool>(m_input);
}

void Player::stopThreads() {
    m_quit = true;
    m_wake.notify_all();
    if (m_audio.joinable()) {
        // A sink that is waking up holds the writes for up to seconds, and a suspended one
        // for good, and the owner's thread with them; a flush makes room, so a blocked
        // write returns. The sound thread may be making its stream or about to write
        // when the first flush comes: it is flushed again until it has ended.
        std::unique_lock<std::mutex> outputLock(m_soundOutputLock);
        while (!m_audioEnded) {
            if (m_soundOutput) {
                pa_simple_flush(m_soundOutput, nullptr);
            }
            m_audioEnd.wait_for(outputLock, std::chrono::milliseconds(20));
        }
    }
    if (m_engine.joinable()) {
        m_engine.join();
    }
    if (m_audio.joinable()) {
        m_audio.join();
    }
    m_quit = false;
}

void Player::close() {
    stopThreads();
    std::lock_guard<std::mutex> lock(m_lock);
    m_heldPackets.clear();
    m_input.reset();
    m_startUs = 0;
    m_videoDecoder.reset();
    m_audioDecoder.reset();
    m_videoGraph.reset();
    m_audioGraph.reset();
    m_lastRaw.reset();
    m_videoIndex = m_audioIndex = -1;
    m_pictures.clear();
    m_sound.clear();
    m_levelQueue.clear();
    m_soundQueuedUs = 0;
    m_playing = false;
    m_endOfFile = m_atEnd = false;
    m_path.clear();
    std::lock_guard<std::mutex> frameLock(m_frameLock);
    m_shown = av::BgraImage{};
    m_shownSource = av::BgraImage{};
    m_shownRaw.reset();
    m_shownSourceCurrent = false;
    m_shownTimeUs = 0;
}

bool Player::open(const char* pathUtf8) {
    close();
    av::InputPtr input = av::openInput(pathUtf8);
    if (!input) {
        return false;
    }
    const int videoIndex = av::findStream(input.get(), AVMEDIA_TYPE_VIDEO);
    const int audioIndex = av::findStream(input.get(), AVMEDIA_TYPE_AUDIO);
    av::CodecContextPtr videoDecoder;
    av::CodecContextPtr audioDecoder;
    if (videoIndex >= 0) {
        videoDecoder = av::openDecoder(input->streams[videoIndex]);
    }
    if (audioIndex >= 0) {
        audioDecoder = av::openDecoder(input->streams[audioIndex]);
    }
    if (!videoDecoder && !audioDecoder) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_input = std::move(input);
        m_startUs = av::startOffsetUs(m_input.get());
        m_path = pathUtf8;
        m_videoIndex = videoDecoder ? videoIndex : -1;
        m_audioIndex = audioDecoder ? audioIndex : -1;
        m_videoDecoder = std::move(videoDecoder);
        m_audioDecoder = std::move(audioDecoder);
        m_appliedVideo = m_pendingVideo;
        m_appliedAudio = m_pendingAudio;
        if (m_audioDecoder) {
            m_outputRate = m_audioDecoder->sample_rate > 0 ? m_audioDecoder->sample_rate : 44100;
            m_outputChannels = std::clamp(m_audioDecoder->ch_layout.nb_channels, 1, 2);
        }
        // The first picture is shown at once; a file whose start cannot be decoded is
        // not a file we can play.
        if (!seekLocked(0) && m_videoIndex >= 0) {
            m_input.reset();
            m_videoDecoder.reset();
            m_audioDecoder.reset();
            m_videoIndex = m_audioIndex = -1;
            m_path.clear();
            return false;
        }
    }
    deliverFrame();
    m_engine = std::thread([this] { engineLoop(); });
    if (m_audioIndex >= 0) {
        m_audioEnded = false;
        m_audio = std::thread([this] {
            audioLoop();
            std::lock_guard<std::mutex> outputLock(m_soundOutputLock);
            m_audioEnded = true;
            m_audioEnd.notify_all();
        });
    }
    return true;
}

// ---- Clock ----

int64_t Player::clockUs() const {
    if (!m_playing) {
        return m_clockBaseUs;
    }
    const int speed = std::max(1, m_appliedAudio.speedPercent);
    return m_clockBaseUs + (wallMicroseconds() - m_clockStartWallUs) * speed / 100;
}

void Player::setClock(int64_t sourceUs) {
    m_clockBaseUs = sourceUs;
    m_clockStartWallUs = wallMicroseconds();
}

int64_t Player::frameDurationUs() const {
    if (m_videoIndex < 0) {
        return 40000;
    }
    AVRational rate = av_guess_frame_rate(m_input.get(), m_input->streams[m_videoIndex], nullptr);
    if (rate.num <= 0 || rate.den <= 0) {
        return 40000;
    }
    return av_rescale(1000000, rate.den, rate.num);
}

// ---- Decoding (m_lock held) ----

void Player::flushQueues() {
    m_pictures.clear();
    m_sound.clear();
    m_levelQueue.clear();
    m_soundQueuedUs = 0;
    m_flushSound = true;
}

bool Player::filterVideoFrame(const AVFrame* frame, int64_t timeUs, av::BgraImage& out) {
    // Watermarks outside their display ranges are left out of the graph, which is built
    // anew when the set of shown parts changes (at range bounds only).
    unsigned visible = 0;
    VideoEdit edit = editShownAt(m_appliedVideo, static_cast<uint64_t>(std::max<int64_t>(0, timeUs)), &visible);
    edit.speedPercent = 100; // the clock plays the speed; pictures keep source times
    if (visible != m_graphVisibleParts) {
        m_videoGraph.reset();
        m_graphVisibleParts = visible;
    }
    if (!m_videoGraph.isConfigured()) {
        const AVStream* stream = m_input->streams[m_videoIndex];
        const std::string chain = videoFilterChain(edit, frame->width, frame->height, m_path);
        if (!m_videoGraph.configureVideo(chain, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                         stream->time_base, frame->sample_aspect_ratio, AV_PIX_FMT_BGRA)) {
            // An edit the filters refuse (a missing image, say) must not stop playback.
            VideoEdit plain;
            if (!m_videoGraph.configureVideo(videoFilterChain(plain, frame->width, frame->height, m_path), frame->width,
                                             frame->height, static_cast<AVPixelFormat>(frame->format),
                                             stream->time_base, frame->sample_aspect_ratio, AV_PIX_FMT_BGRA)) {
                return false;
            }
        }
    }
    AVFrame* copy = av_frame_clone(frame);
    if (!copy) {
        return false;
    }
    // Display ranges are judged by the picture's time: give the filters the one we show.
    copy->pts = av::fromMicroseconds(timeUs, m_input->streams[m_videoIndex]->time_base);
    const bool pushed = m_videoGraph.push(copy);
    av_frame_free(&copy);
    if (!pushed) {
        m_videoGraph.reset();
        return false;
    }
    bool got = false;
    while (m_videoGraph.pull(m_filtered.get()) == 0) {
        got = av::frameToBgra(m_filtered.get(), m_scaler, out) || got;
        av_frame_unref(m_filtered.get());
    }
    return got;
}

void Player::rebuildAudioGraph(const AVFrame* frame) {
    AudioEdit edit = m_appliedAudio;
    edit.volumePercent = 100; // the volume is applied at the output, so it changes at once
    const AVStream* stream = m_input->streams[m_audioIndex];
    if (!m_audioGraph.configureAudio(audioFilterChain(edit), frame->sample_rate,
                                     static_cast<AVSampleFormat>(frame->format), frame->ch_layout, stream->time_base,
                                     AV_SAMPLE_FMT_S16, m_outputRate, m_outputChannels, 0)) {
        AudioEdit plain;
        m_audioGraph.configureAudio(audioFilterChain(plain), frame->sample_rate,
                                    static_cast<AVSampleFormat>(frame->format), frame->ch_layout, stream->time_base,
                                    AV_SAMPLE_FMT_S16, m_outputRate, m_outputChannels, 0);
    }
}

void Player::takeAudioFrame(AVFrame* frame) {
    const AVStream* stream = m_input->streams[m_audioIndex];
    const int64_t timeUs = fileTimeUs(frame->best_effort_timestamp, stream->time_base);
    if (timeUs == AV_NOPTS_VALUE) {
        return;
    }
    const int64_t frameUs = frame->sample_rate > 0 ? int64_t(frame->nb_samples) * 1000000 / frame->sample_rate : 0;
    if (timeUs + frameUs <= m_skipBeforeUs) {
        return;
    }
    if (!m_audioGraph.isConfigured()) {
        rebuildAudioGraph(frame);
        m_audioGraphStartUs = timeUs;
    }
    frame->pts = av::fromMicroseconds(timeUs, stream->time_base);
    if (!m_audioGraph.push(frame)) {
        m_audioGraph.reset();
        return;
    }
    const int speed = std::max(1, m_appliedAudio.speedPercent);
    while (m_audioGraph.pull(m_filtered.get()) == 0) {
        AVFrame* out = m_filtered.get();
        AudioChunk chunk;
        const int64_t outUs = av::toMicroseconds(out->pts, m_audioGraph.outputTimeBase());
        // Filtered times run at the playing speed from where the graph began; the clock
        // counts source time.
        chunk.sourceUs = m_audioGraphStartUs + (outUs - m_audioGraphStartUs) * speed / 100;
        chunk.durationUs = int64_t(out->nb_samples) * 1000000 / std::max(1, out->sample_rate) * speed / 100;
        const auto* samples = reinterpret_cast<const int16_t*>(out->data[0]);
        chunk.samples.assign(samples, samples + size_t(out->nb_samples) * m_outputChannels);
        m_soundQueuedUs += chunk.durationUs;
        m_levelQueue.push_back(chunk);
        m_sound.push_back(std::move(chunk));
        av_frame_unref(out);
    }
}

bool Player::decodeAudioPacket(const AVPacket* packet) {
    if (avcodec_send_packet(m_audioDecoder.get(), packet) < 0 && packet) {
        return false;
    }
    while (avcodec_receive_frame(m_audioDecoder.get(), m_frame.get()) == 0) {
        takeAudioFrame(m_frame.get());
        av_frame_unref(m_frame.get());
    }
    return true;
}

// Decodes one video packet; every picture at or after m_skipBeforeUs is filtered and
// queued. True when at least one picture was queued.
bool Player::decodeVideoPacket(const AVPacket* packet) {
    if (avcodec_send_packet(m_videoDecoder.get(), packet) < 0 && packet) {
        return false;
    }
    bool queued = false;
    const AVStream* stream = m_input->streams[m_videoIndex];
    const int64_t duration = frameDurationUs();
    while (avcodec_receive_frame(m_videoDecoder.get(), m_frame.get()) == 0) {
        int64_t timeUs = fileTimeUs(m_frame->best_effort_timestamp, stream->time_base);
        if (timeUs == AV_NOPTS_VALUE) {
            timeUs = m_pictures.empty() ? m_lastRawTimeUs + duration : m_pictures.back().timeUs + duration;
        }
        // A picture is kept when the wanted time falls inside it.
        if (timeUs + duration <= m_skipBeforeUs) {
            av_frame_unref(m_frame.get());
            continue;
        }
        QueuedPicture picture{timeUs, {}, av::FramePtr(av_frame_clone(m_frame.get()))};
        if (filterVideoFrame(m_frame.get(), timeUs, picture.image)) {
            m_lastRaw.reset(av_frame_clone(m_frame.get()));
            m_lastRawTimeUs = timeUs;
            m_pictures.push_back(std::move(picture));
            queued = true;
        }
        av_frame_unref(m_frame.get());
    }
    return queued;
}

int64_t Player::fileTimeUs(int64_t timestamp, AVRational timeBase) const {
    const int64_t timeUs = av::toMicroseconds(timestamp, timeBase);
    return timeUs == AV_NOPTS_VALUE ? timeUs : timeUs - m_startUs;
}

int Player::readPacket() {
    if (m_heldPackets.empty()) {
        return av_read_frame(m_input.get(), m_packet.get());
    }
    av_packet_move_ref(m_packet.get(), m_heldPackets.front().get());
    m_heldPackets.pop_front();
    return 0;
}

// Reads one packet and decodes it; at the end of the file drains the decoders.
// wantVideoFrame: keep reading until a picture is queued (or the file ends).
bool Player::readAndDecode(bool wantVideoFrame) {
    for (int guard = 0; guard < 100000; ++guard) {
        if (m_endOfFile) {
            return false;
        }
        const int result = readPacket();
        if (result < 0) {
            if (result == AVERROR(EAGAIN)) {
                continue;
            }
            m_endOfFile = true;
            bool queued = false;
            if (m_videoDecoder) {
                queued = decodeVideoPacket(nullptr);
            }
            if (m_audioDecoder) {
                decodeAudioPacket(nullptr);
            }
            return queued;
        }
        bool queued = false;
        if (m_packet->stream_index == m_videoIndex) {
            queued = decodeVideoPacket(m_packet.get());
        } else if (m_packet->stream_index == m_audioIndex) {
            decodeAudioPacket(m_packet.get());
        }
        av_packet_unref(m_packet.get());
        if (!wantVideoFrame || queued) {
            return true;
        }
    }
    return false;
}

void Player::present(av::BgraImage&& image, int64_t timeUs, const AVFrame* raw) {
    std::lock_guard<std::mutex> lock(m_frameLock);
    if (raw) {
        // Kept even without a main window: one set later (paused) shows this picture.
        m_shownRaw.reset(av_frame_clone(raw));
        m_shownSourceCurrent = false;
        if (m_windows[0].load() != 0) {
            makeShownSourceLocked();
        }
    }
    m_shown = std::move(image);
    m_shownTimeUs = timeUs;
    m_framePending = true;
}

void Player::makeShownSourceLocked() {
    if (m_shownSourceCurrent) {
        return;
    }
    if (!m_shownRaw || !av::frameToBgra(m_shownRaw.get(), m_sourceScaler, m_shownSource)) {
        m_shownSource = av::BgraImage{};
    }
    m_shownSourceCurrent = true;
}

void Player::setWindowId(int which, int64_t id) {
    std::lock_guard<std::mutex> lock(m_frameLock);
    m_windows[which & 1] = id;
    if ((which & 1) == 0 && id != 0) {
        makeShownSourceLocked();
    }
}

void Player::deliverFrame() {
    FrameCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        if (!m_framePending) {
            return;
        }
        m_framePending = false;
        callback = m_callback;
        context = m_callbackContext;
    }
    if (callback) {
        callback(context);
    }
}

bool Player::seekLocked(int64_t timeUs) {
    if (!m_input) {
        return false;
    }
    const int64_t duration = static_cast<int64_t>(durationUs());
    // Past the end (or anywhere in a file of unknown length): never beyond what the file's
    // timeline can count.
    const int64_t latestUs = INT64_MAX - std::max<int64_t>(0, m_startUs);
    timeUs = std::clamp<int64_t>(timeUs, 0, duration > 0 ? duration : latestUs);
    flushQueues();
    m_videoGraph.reset();
    m_audioGraph.reset();
    m_heldPackets = av::seekToKeyFrame(m_input.get(), m_videoIndex, timeUs + m_startUs, m_startUs);
    if (m_videoDecoder) {
        avcodec_flush_buffers(m_videoDecoder.get());
    }
    if (m_audioDecoder) {
        avcodec_flush_buffers(m_audioDecoder.get());
    }
    m_endOfFile = false;
    m_atEnd = false;
    m_skipBeforeUs = timeUs;
    setClock(timeUs);
    if (m_videoIndex < 0) {
        return true;
    }
    // Decode up to the picture that is on screen at the wanted time. Past the last
    // picture, the last one stays.
    if (!readAndDecode(true) || m_pictures.empty()) {
        if (m_lastRaw) {
            av::BgraImage image;
            m_videoGraph.reset();
            if (filterVideoFrame(m_lastRaw.get(), m_lastRawTimeUs, image)) {
                present(std::move(image), m_lastRawTimeUs, m_lastRaw.get());
            }
            m_atEnd = m_endOfFile;
            return true;
        }
        return false;
    }
    QueuedPicture picture = std::move(m_pictures.front());
    m_pictures.pop_front();
    present(std::move(picture.image), picture.timeUs, picture.raw.get());
    setClock(std::max(timeUs, picture.timeUs));
    // Sound before the shown picture is never heard.
    m_skipBeforeUs = picture.timeUs;
    return true;
}

bool Player::stepForwardLocked() {
    if (m_pictures.empty() && !readAndDecode(true)) {
        if (m_pictures.empty()) {
            m_atEnd = true;
            return false;
        }
    }
    QueuedPicture picture = std::move(m_pictures.front());
    m_pictures.pop_front();
    present(std::move(picture.image), picture.timeUs, picture.raw.get());
    setClock(picture.timeUs);
    // Sound decoded on the way belongs before this picture.
    m_sound.clear();
    m_levelQueue.clear();
    m_soundQueuedUs = 0;
    m_skipBeforeUs = picture.timeUs;
    return true;
}

bool Player::drained() const {
    return m_endOfFile && m_pictures.empty() && m_sound.empty();
}

// ---- Engine and sound threads ----

void Player::engineLoop() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_quit) {
        if (!m_playing || !m_input) {
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
            continue;
        }
        const int64_t now = clockUs();
        releaseLevels(now);
        dropStaleSound(now);
        if (!m_pictures.empty() && m_pictures.front().timeUs <= now) {
            QueuedPicture picture = std::move(m_pictures.front());
            m_pictures.pop_front();
            // A late picture is dropped when the next one is due as well.
            if (!m_pictures.empty() && m_pictures.front().timeUs <= now) {
                continue;
            }
            present(std::move(picture.image), picture.timeUs, picture.raw.get());
            lock.unlock();
            deliverFrame();
            lock.lock();
            continue;
        }
        const bool needPictures = m_videoIndex >= 0 && m_pictures.size() < kPicturesAhead;
        const bool needSound = m_audioIndex >= 0 && m_soundQueuedUs < kSoundAheadUs;
        if ((needPictures || needSound) && !m_endOfFile) {
            readAndDecode(false);
            continue;
        }
        if (drained()) {
            const int64_t endUs = m_videoIndex >= 0 ? m_shownTimeUs + frameDurationUs() : now;
            if (m_audioIndex < 0 || now >= endUs || m_videoIndex < 0) {
                m_atEnd = true;
                m_clockBaseUs = std::min<int64_t>(now, static_cast<int64_t>(durationUs()));
                m_playing = false;
                continue;
            }
        }
        int64_t waitUs = 10000;
        if (!m_pictures.empty()) {
            waitUs = std::clamp<int64_t>(m_pictures.front().timeUs - now, 1000, 10000);
        }
        m_wake.wait_for(lock, std::chrono::microseconds(waitUs));
    }
}

void Player::applyVolume(std::vector<int16_t>& samples) const {
    const int volume = std::clamp(m_volumePercent.load(), 0, 200);
    if (volume != 100) {
        for (int16_t& sample : samples) {
            sample = static_cast<int16_t>(std::clamp(int(sample) * volume / 100, -32768, 32767));
        }
    }
}

// The level display follows the clock, not the sound server: a server that holds the
// writes (a sink waking up or suspended) must not freeze the levels while playing goes on.
void Player::releaseLevels(int64_t nowUs) {
    std::vector<int16_t> due;
    while (!m_levelQueue.empty() && m_levelQueue.front().sourceUs <= nowUs) {
        AudioChunk& chunk = m_levelQueue.front();
        due.insert(due.end(), chunk.samples.begin(), chunk.samples.end());
        m_levelQueue.pop_front();
    }
    if (due.empty()) {
        return;
    }
    applyVolume(due);
    std::lock_guard<std::mutex> levelLock(m_levelLock);
    m_levelSamples.insert(m_levelSamples.end(), due.begin(), due.end());
    const size_t limit = size_t(m_outputRate) * m_outputChannels; // one second
    if (m_levelSamples.size() > limit) {
        m_levelSamples.erase(m_levelSamples.begin(), m_levelSamples.end() - limit);
    }
}

// Sound the server can no longer play in time is dropped here too (the sound thread drops
// it as well when it gets to it), so that decoding goes on while the server holds writes.
void Player::dropStaleSound(int64_t nowUs) {
    while (!m_sound.empty() && m_sound.front().sourceUs + m_sound.front().durationUs < nowUs - kServerBufferUs) {
        m_soundQueuedUs -= m_sound.front().durationUs;
        m_sound.pop_front();
    }
}

void Player::waitForClock(int64_t sourceUs) {
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        const int64_t ahead = sourceUs - clockUs();
        if (m_quit || !m_playing || ahead <= 0 || m_flushSound) {
            return;
        }
        m_wake.wait_for(lock, std::chrono::microseconds(std::min<int64_t>(ahead, 50000)));
    }
}

// The sound thread's playback stream on the sound server, with the format it was made for.
struct Player::SoundStream {
    PulsePtr stream;
    int rate = 0;
    int channels = 0;
};

Player::ChunkTaken Player::takeChunk(std::unique_lock<std::mutex>& lock, SoundStream& out, AudioChunk& chunk) {
    if (m_quit) {
        return ChunkTaken::Quit;
    }
    if (m_flushSound.exchange(false) && out.stream) {
        // A flush waits for the sound server: never with m_lock held.
        lock.unlock();
        pa_simple_flush(out.stream.get(), nullptr);
        return ChunkTaken::None;
    }
    if (!m_playing || m_sound.empty()) {
        m_wake.wait_for(lock, std::chrono::milliseconds(10));
        return ChunkTaken::None;
    }
    const int64_t now = clockUs();
    chunk = std::move(m_sound.front());
    m_sound.pop_front();
    m_soundQueuedUs -= chunk.durationUs;
    if (chunk.sourceUs + chunk.durationUs < now - kServerBufferUs) {
        return ChunkTaken::None; // stale sound (after a step or a seek)
    }
    if (!out.stream || out.rate != m_outputRate || out.channels != m_outputChannels) {
        openSoundStream(lock, out);
    }
    return ChunkTaken::Chunk;
}

void Player::openSoundStream(std::unique_lock<std::mutex>& lock, SoundStream& out) {
    out.rate = m_outputRate;
    out.channels = m_outputChannels;
    pa_sample_spec format{PA_SAMPLE_S16LE, static_cast<uint32_t>(out.rate), static_cast<uint8_t>(out.channels)};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kServerBufferUs, &format));
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(-1);
    int error = 0;
    // Making the stream waits for the sound server: not with m_lock held.
    lock.unlock();
    PulsePtr created(pa_simple_new(nullptr, "Calvorine Screen Recorder", PA_STREAM_PLAYBACK, nullptr, "Playback",
                                   &format, nullptr, &attributes, &error));
    {
        std::lock_guard<std::mutex> outputLock(m_soundOutputLock);
        out.stream = std::move(created);
        m_soundOutput = out.stream.get();
    }
    lock.lock();
}

void Player::closeSoundStream(SoundStream& out) {
    std::lock_guard<std::mutex> outputLock(m_soundOutputLock);
    m_soundOutput = nullptr;
    out.stream.reset();
}

bool Player::playChunk(SoundStream& out, const AudioChunk& chunk) {
    if (!out.stream) {
        return false;
    }
    int error = 0;
    if (pa_simple_write(out.stream.get(), chunk.samples.data(), chunk.samples.size() * sizeof(int16_t), &error) < 0) {
        closeSoundStream(out); // the sound server went away
        return false;
    }
    return true;
}

void Player::followSoundClock(SoundStream& out, int64_t writtenEndUs) {
    int error = 0;
    const pa_usec_t latency = pa_simple_get_latency(out.stream.get(), &error);
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_playing && !m_flushSound) {
        const int speed = std::max(1, m_appliedAudio.speedPercent);
        const int64_t soundClock = writtenEndUs - static_cast<int64_t>(latency) * speed / 100;
        const int64_t pictureClock = clockUs();
        const int64_t drift = std::abs(soundClock - pictureClock);
        if (drift > kResyncUs && drift < kFollowLimitUs) {
            setClock(soundClock);
        }
    }
}

void Player::audioLoop() {
    SoundStream out;
    for (;;) {
        AudioChunk chunk;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            const ChunkTaken taken = takeChunk(lock, out, chunk);
            if (taken == ChunkTaken::Quit) {
                break;
            }
            if (taken == ChunkTaken::None) {
                continue;
            }
        }
        applyVolume(chunk.samples);
        if (!playChunk(out, chunk)) {
            // No sound server, or it went away: the sound is dropped and the wall clock
            // leads; the chunk is taken when the clock reaches it, so the queue keeps its
            // bound.
            waitForClock(chunk.sourceUs);
            continue;
        }
        followSoundClock(out, chunk.sourceUs + chunk.durationUs);
    }
    closeSoundStream(out);
}

// ---- Controls (owner's thread) ----

bool Player::play() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_input) {
            return false;
        }
        if (m_atEnd) {
            seekLocked(0);
        }
        if (!m_playing) {
            m_playing = true;
            setClock(m_clockBaseUs);
        }
        m_wake.notify_all();
    }
    deliverFrame();
    return true;
}

bool Player::pause() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_input) {
        return false;
    }
    if (m_playing) {
        const int64_t now = clockUs();
        m_playing = false;
        m_clockBaseUs = now;
        m_flushSound = true;
        // Sound already queued is played again on resume from the paused time.
        m_skipBeforeUs = now;
    }
    m_wake.notify_all();
    return true;
}

bool Player::stop() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_input) {
            return false;
        }
        m_playing = false;
        seekLocked(0);
        m_wake.notify_all();
    }
    deliverFrame();
    return true;
}

bool Player::seek(int64_t timeUs) {
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        done = seekLocked(timeUs);
        m_wake.notify_all();
    }
    deliverFrame();
    return done;
}

bool Player::step(int direction) {
    const bool done = stepLocked(direction);
    deliverFrame();
    return done;
}

bool Player::stepLocked(int direction) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_input || m_videoIndex < 0) {
        return false;
    }
    if (m_playing) {
        m_clockBaseUs = clockUs();
        m_playing = false;
        m_flushSound = true;
    }
    bool done = false;
    if (direction > 0) {
        done = stepForwardLocked();
    } else {
        int64_t shown = 0;
        {
            std::lock_guard<std::mutex> frameLock(m_frameLock);
            shown = m_shownTimeUs;
        }
        done = shown > 0 && seekLocked(shown - 1);
    }
    m_wake.notify_all();
    return done;
}

bool Player::showCurrentFrame() {
    repaint();
    return isOpen();
}

void Player::repaint() {
    FrameCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        callback = m_shown.empty() ? nullptr : m_callback;
        context = m_callbackContext;
    }
    if (callback) {
        callback(context);
    }
}

bool Player::isAtEnd() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_input && m_atEnd;
}

bool Player::isPaused() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_input && !m_playing;
}

bool Player::hasVideo() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_videoIndex >= 0;
}

bool Player::hasAudio() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_audioIndex >= 0;
}

uint64_t Player::durationUs() const {
    // Called with and without m_lock: reads only what open() fixed.
    return static_cast<uint64_t>(av::durationUs(m_input.get()));
}

uint64_t Player::positionUs() const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_input) {
        return 0;
    }
    int64_t position = clockUs();
    if (!m_playing && m_videoIndex >= 0) {
        std::lock_guard<std::mutex> frameLock(m_frameLock);
        position = std::max(position, m_shownTimeUs);
    }
    const int64_t duration = static_cast<int64_t>(durationUs());
    return static_cast<uint64_t>(std::clamp<int64_t>(position, 0, duration > 0 ? duration : position));
}

uint64_t Player::frameTimeUs() const {
    std::lock_guard<std::mutex> lock(m_frameLock);
    return static_cast<uint64_t>(std::max<int64_t>(0, m_shownTimeUs));
}

int Player::videoWidth() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_videoDecoder ? m_videoDecoder->width : 0;
}

int Player::videoHeight() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_videoDecoder ? m_videoDecoder->height : 0;
}

int Player::displayWidth() const {
    std::lock_guard<std::mutex> lock(m_frameLock);
    return m_shown.width;
}

int Player::displayHeight() const {
    std::lock_guard<std::mutex> lock(m_frameLock);
    return m_shown.height;
}

void Player::setFrameCallback(FrameCallback callback, void* context) {
    std::lock_guard<std::mutex> lock(m_frameLock);
    m_callback = callback;
    m_callbackContext = context;
}

bool Player::frameSize(int* width, int* height, Picture which) const {
    std::lock_guard<std::mutex> lock(m_frameLock);
    const av::BgraImage& image = which == Picture::Source ? m_shownSource : m_shown;
    if (width) {
        *width = image.width;
    }
    if (height) {
        *height = image.height;
    }
    return !image.empty();
}

bool Player::copyFrame(void* pixels, int bytesPerLine, int width, int height, Picture which) const {
    std::lock_guard<std::mutex> lock(m_frameLock);
    const av::BgraImage& image = which == Picture::Source ? m_shownSource : m_shown;
    if (!pixels || image.empty() || width != image.width || height != image.height || bytesPerLine < width * 4) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(static_cast<uint8_t*>(pixels) + static_cast<ptrdiff_t>(y) * bytesPerLine,
                    image.pixels.data() + static_cast<size_t>(y) * width * 4, static_cast<size_t>(width) * 4);
    }
    return true;
}

uint8_t* Player::levelBlock() {
    std::vector<int16_t> samples;
    {
        std::lock_guard<std::mutex> lock(m_levelLock);
        samples.swap(m_levelSamples);
    }
    if (samples.empty()) {
        return nullptr;
    }
    return m_levelBlocks.keep(makeLevelBlock(samples.data(), samples.size(), m_outputChannels, m_outputRate));
}

bool Player::releaseLevelBlock(uint8_t* block) {
    return block && m_levelBlocks.release(block);
}

uint8_t* Player::snapshot() const {
    std::lock_guard<std::mutex> lock(m_frameLock);
    return av::encodeBmp(m_shown, nullptr);
}

// ---- Edits ----

void Player::beginUpdate() {
    ++m_updateDepth;
}

void Player::endUpdate() {
    if (m_updateDepth > 0) {
        --m_updateDepth;
    }
    if (m_updateDepth == 0) {
        applyEdits();
    }
}

void Player::applyEdits() {
    if (m_updateDepth > 0) {
        return;
    }
    applyEditsLocked();
    deliverFrame();
}

void Player::applyEditsLocked() {
    std::lock_guard<std::mutex> lock(m_lock);
    const bool videoChanged = m_pendingVideo != m_appliedVideo;
    const bool audioChanged = m_pendingAudio != m_appliedAudio;
    if (audioChanged) {
        const int64_t now = clockUs();
        m_appliedAudio = m_pendingAudio;
        m_audioGraph.reset();
        m_sound.clear();
        m_levelQueue.clear();
        m_soundQueuedUs = 0;
        setClock(now);
        if (m_input && m_audioIndex >= 0) {
            // Queued sound was made with the old effect: decode it again from here.
            const bool playing = m_playing;
            seekLocked(now);
            m_playing = playing;
            setClock(now);
        }
    }
    if (!videoChanged) {
        return;
    }
    m_appliedVideo = m_pendingVideo;
    m_videoGraph.reset();
    if (!m_input || m_videoIndex < 0) {
        return;
    }
    // Pictures already queued carry the old edits; the shown one is drawn again.
    if (!m_pictures.empty()) {
        const int64_t next = m_pictures.front().timeUs;
        const bool playing = m_playing;
        seekLocked(next);
        m_playing = playing;
        return;
    }
    if (m_lastRaw) {
        av::BgraImage image;
        if (filterVideoFrame(m_lastRaw.get(), m_lastRawTimeUs, image)) {
            present(std::move(image), m_lastRawTimeUs, m_lastRaw.get());
        }
    }
}

void Player::setVolume(int percent) {
    m_volumePercent = std::clamp(percent, 0, 200);
}

} // namespace calvorine::codec
