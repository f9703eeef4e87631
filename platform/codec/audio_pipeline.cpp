#include "audio_pipeline.h"

#include "codec_table.h"
#include "library_settings.h"
#include "muxer_output.h"
#include "pipeline_thread.h"
#include "track.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace calvorine::codec {

namespace {

// Pushed chunks waiting for the mixer (several seconds of capture packets).
constexpr size_t kQueueCapacity = 500;
// The mixer takes what arrived at this interval, not at every push: a capture hands
// on a packet every few tens of milliseconds, and waking the mixer for each would
// double the wakeups for no gain (what it mixes waits for the slowest source anyway).
constexpr auto kMixInterval = std::chrono::milliseconds(40);
// How long the mixer waits for a late source before covering it with silence.
constexpr int64_t kMixLatencyUs = 300000;
// Timestamps closer than this to the expected position belong to sound that goes on:
// it continues seamlessly, and is resampled, smoothly, as far as its timestamps run
// faster or slower than its samples (a device whose clock is not the machine's), so
// that it keeps to them. Beyond it a gap is filled with silence, and an overlap (a
// source running ahead of the clock) is cut, keeping sound and picture together.
constexpr int64_t kResyncThresholdUs = 25000;
// Within this much of its timestamps a going source is left as it is: a chunk's
// timestamp rounded to whole microseconds and then to samples is a sample off now and
// then, and resampling toward that would move the sound by a fraction of a sample for
// good and soften every edge in it for nothing.
constexpr int64_t kFollowBandUs = 500;
// A going source's sound follows the rate at which its timestamps run from its samples
// (a device whose clock is not the machine's), read over this span, and what it is off
// them beyond the band is made up over kFollowSpanSeconds; the stretch is at most
// kMaxStretch, a correction no one hears (a tone moves by a fraction of a cent).
constexpr double kRateSpanSeconds = 1.0;
constexpr double kFollowSpanSeconds = 2.0;
constexpr double kMaxStretch = 0.002;
constexpr double kGlideSeconds = 1.0;
// The resampler's compensation is set over this many output seconds (its resolution:
// one sample in that many); it lapses at their end, so it is set again each half.
constexpr int kCompensationSeconds = 10;
constexpr int kDefaultSampleRate = 44100;
constexpr int kDefaultChannels = 2;
constexpr int kDefaultBitRate = 128000;

const AVCodec* findAudioEncoder(const CodecEntry& entry, const std::string& preferredName) {
    if (!preferredName.empty()) {
        const AVCodec* codec = avcodec_find_encoder_by_name(preferredName.c_str());
        if (codec && codec->id == entry.avId)
            return codec;
    }
    return findEncoder(entry);
}

int chooseSampleRate(const AVCodec* codec, int wanted) {
    if (!codec->supported_samplerates)
        return wanted;
    int best = codec->supported_samplerates[0];
    for (const int* rate = codec->supported_samplerates; *rate; ++rate) {
        if (std::abs(*rate - wanted) < std::abs(best - wanted))
            best = *rate;
    }
    return best;
}

void chooseLayout(const AVCodec* codec, int channels, AVChannelLayout& layout) {
    av_channel_layout_default(&layout, channels);
    if (!codec->ch_layouts)
        return;
    for (const AVChannelLayout* candidate = codec->ch_layouts; candidate->nb_channels; ++candidate) {
        if (av_channel_layout_compare(candidate, &layout) == 0)
            return;
    }
    // The encoder cannot take that many channels: the nearest count it can.
    const AVChannelLayout* best = codec->ch_layouts;
    for (const AVChannelLayout* candidate = codec->ch_layouts; candidate->nb_channels; ++candidate) {
        if (std::abs(candidate->nb_channels - channels) < std::abs(best->nb_channels - channels))
            best = candidate;
    }
    av_channel_layout_uninit(&layout);
    av_channel_layout_copy(&layout, best);
}

int16_t toS16(float value) {
    value = std::max(-1.0f, std::min(1.0f, value));
    return int16_t(std::lround(value * 32767.0f));
}

} // namespace

AudioPipeline::~AudioPipeline() {
    finish(0);
    av_channel_layout_uninit(&m_layout);
}

bool AudioPipeline::configure(const StreamSettings& settings, MuxerOutput& output) {
    const CodecEntry* entry = findCodec(settings.audioCodecId);
    if (!entry || isVideoCodecId(settings.audioCodecId))
        return false;
    const AVCodec* codec = findAudioEncoder(*entry, settings.audioEncoderName);
    if (!codec)
        return false;
    m_encoder.reset(avcodec_alloc_context3(codec));
    m_packet = libav::makePacket();
    if (!m_encoder || !m_packet)
        return false;
    const int channels = settings.channels > 0 ? std::min(settings.channels, 8) : kDefaultChannels;
    m_sampleRate = chooseSampleRate(codec, settings.sampleRate > 0 ? settings.sampleRate : kDefaultSampleRate);
    chooseLayout(codec, channels, m_layout);
    m_channels = m_layout.nb_channels;
    m_encoder->sample_rate = m_sampleRate;
    m_encoder->sample_fmt = preferredFormat(codec->sample_fmts, AV_SAMPLE_FMT_NONE, AV_SAMPLE_FMT_FLTP);
    av_channel_layout_copy(&m_encoder->ch_layout, &m_layout);
    m_encoder->bit_rate = settings.audioBitRate > 0 ? settings.audioBitRate : kDefaultBitRate;
    m_encoder->time_base = AVRational{1, m_sampleRate};
    m_encoder->thread_count = encoderThreadCount();
    if (output.wantsGlobalHeader())
        m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // libav's own AAC encoder keeps its default two-loop quantiser search: its fast coder
    // takes less time but leaves a steady tone with a buzz 30 dB below it (the two-loop
    // search: 60 dB), which anyone hears in music.
    libav::Options options;
    if (avcodec_open2(m_encoder.get(), codec, options.pointer()) < 0)
        return false;
    const bool variable = codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    m_frameSize = m_encoder->frame_size > 0 && !variable ? m_encoder->frame_size : 1024;

    SwrContext* packer = nullptr;
    if (swr_alloc_set_opts2(&packer, &m_layout, m_encoder->sample_fmt, m_sampleRate, &m_layout, AV_SAMPLE_FMT_FLT,
                            m_sampleRate, 0, nullptr) < 0)
        return false;
    m_packer.reset(packer);
    if (swr_init(packer) < 0)
        return false;
    if (output.isFragmented())
        m_skipSamples = std::max(0, m_encoder->initial_padding);
    m_stream = output.addStream(m_encoder.get(), 0);
    m_output = &output;
    m_sources.resize(1);
    return m_stream != nullptr;
}

void AudioPipeline::addTrack(std::shared_ptr<TrackState> track) {
    Source source;
    source.track = std::move(track);
    m_sources.push_back(std::move(source));
}

void AudioPipeline::start(TimeMapper mapper, Clock clock) {
    m_mapper = std::move(mapper);
    m_clock = std::move(clock);
    for (Source& source : m_sources) {
        if (!source.track)
            continue;
        {
            std::lock_guard<std::mutex> guard(source.track->lock);
            ++source.track->readers;
            source.track->queue.clear(); // sound from before this recording
        }
        source.track->notify(1);
    }
    m_thread = std::thread([this] { run(); });
}

bool AudioPipeline::push(AudioChunk chunk) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_finishing || !m_thread.joinable())
            return false;
        if (m_queue.size() >= kQueueCapacity) {
            ++m_dropped;
            return false;
        }
        m_queue.push_back(std::move(chunk));
    }
    return true;
}

void AudioPipeline::run() {
    const int64_t latencySamples = av_rescale(kMixLatencyUs, m_sampleRate, 1000000);
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(m_lock);
            m_wake.wait_for(guard, kMixInterval, [this] { return m_finishing; });
            if (m_finishing)
                return;
        }
        collect(false);
        int64_t slowest = INT64_MAX;
        for (const Source& source : m_sources)
            slowest = std::min(slowest, source.cursor < 0 ? m_mixBase : source.cursor);
        const int64_t now = av_rescale(m_clock(), m_sampleRate, 1000000);
        emitUpTo(std::max(slowest, now - latencySamples));
        encodePending(false);
    }
}

void AudioPipeline::collect(bool) {
    std::deque<AudioChunk> own;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        own.swap(m_queue);
    }
    auto place = [this](Source& source, AudioChunk& chunk) {
        std::optional<int64_t> at = m_mapper(chunk.timestampUs);
        if (!at)
            return; // recorded while paused
        // A pause left out since the source's last chunk: the sound after it goes exactly
        // where its time says, as the pictures after it do.
        const int64_t pausedUs = chunk.timestampUs - *at;
        const bool afterPause = source.cursor >= 0 && pausedUs != source.pausedUs;
        source.pausedUs = pausedUs;
        chunk.timestampUs = *at;
        mixChunk(source, chunk, afterPause);
    };
    for (AudioChunk& chunk : own)
        place(m_sources[0], chunk);
    for (size_t i = 1; i < m_sources.size(); ++i) {
        std::deque<AudioChunk> chunks;
        {
            std::lock_guard<std::mutex> guard(m_sources[i].track->lock);
            chunks.swap(m_sources[i].track->queue);
        }
        for (AudioChunk& chunk : chunks)
            place(m_sources[i], chunk);
    }
}

bool AudioPipeline::prepareResampler(Source& source, const AudioChunk& chunk) {
    if (source.resampler && source.inFormat == chunk.format && source.inRate == chunk.sampleRate &&
        source.inChannels == chunk.channels && source.inMask == chunk.channelMask)
        return true;
    AVChannelLayout input{};
    if (chunk.channelMask && __builtin_popcountll(chunk.channelMask) == chunk.channels)
        av_channel_layout_from_mask(&input, chunk.channelMask);
    else
        av_channel_layout_default(&input, chunk.channels);
    SwrContext* resampler = nullptr;
    const int result = swr_alloc_set_opts2(&resampler, &m_layout, AV_SAMPLE_FMT_FLT, m_sampleRate, &input, chunk.format,
                                           chunk.sampleRate, 0, nullptr);
    av_channel_layout_uninit(&input);
    source.resampler.reset(resampler);
    source.compensation = 0;
    source.rate = 0;
    source.stretch = 0;
    source.rateFromUs = -1;
    source.compensationFrom = source.cursor;
    if (result >= 0) {
        // Always resampling, so that a compensation can start at any moment without a
        // seam; at the same rate, a filter open to the full band passes every sample as
        // it is while none is set.
        av_opt_set_int(resampler, "flags", SWR_FLAG_RESAMPLE, 0);
        if (chunk.sampleRate == m_sampleRate)
            av_opt_set_double(resampler, "cutoff", 1.0, 0);
    }
    if (result < 0 || swr_init(resampler) < 0) {
        source.resampler.reset();
        return false;
    }
    source.inFormat = chunk.format;
    source.inRate = chunk.sampleRate;
    source.inChannels = chunk.channels;
    source.inMask = chunk.channelMask;
    return true;
}

void AudioPipeline::mixChunk(Source& source, const AudioChunk& chunk, bool afterPause) {
    if (chunk.sampleCount <= 0 || !prepareResampler(source, chunk))
        return;
    SwrContext* resampler = source.resampler.get();
    // Where the chunk's first sample belongs, and where the next sample out of the
    // resampler (behind by what it holds) will go.
    const int64_t position =
        av_rescale(chunk.timestampUs, m_sampleRate, 1000000) - swr_get_delay(resampler, m_sampleRate);
    const int64_t threshold = av_rescale(kResyncThresholdUs, m_sampleRate, 1000000);
    const int64_t tolerance = afterPause ? 0 : threshold;
    const bool continues =
        source.cursor >= 0 && position <= source.cursor + tolerance && position >= source.cursor - tolerance;
    if (continues && !afterPause)
        followTimestamps(source, chunk, position - source.cursor);
    else
        source.rateFromUs = -1; // the rate is read again from here
    const int capacity = swr_get_out_samples(resampler, chunk.sampleCount);
    if (capacity <= 0)
        return;
    std::vector<float> resampled(size_t(capacity) * size_t(m_channels));
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(resampled.data())};
    const uint8_t* in[1] = {chunk.data.data()};
    const int count = swr_convert(resampler, out, capacity, in, chunk.sampleCount);
    if (count <= 0)
        return;

    int64_t skip = 0;
    if (source.cursor < 0 || position > source.cursor + tolerance)
        source.cursor = position; // first sound, or a gap: the mix holds silence there
    else if (position < source.cursor - tolerance)
        skip = std::min<int64_t>(count, source.cursor - position);
    // Within the threshold: continue at the cursor.

    int64_t first = source.cursor;
    int64_t from = skip;
    if (first < m_mixBase) { // too late for the part already encoded
        from += m_mixBase - first;
        first = m_mixBase;
    }
    const int64_t written = count - skip;
    source.cursor += written;
    if (from >= count)
        return;
    addToMix(first, resampled.data() + size_t(from) * size_t(m_channels), count - from);
}

void AudioPipeline::followTimestamps(Source& source, const AudioChunk& chunk, int64_t ahead) {
    // ahead: how far the source's timestamps lie ahead of (positive) or behind its sound
    // in the mix, in samples. The rate is read from timestamps a span apart: each is
    // rounded to a microsecond, a millionth of the span.
    if (source.rateFromUs < 0) {
        source.rateFromUs = chunk.timestampUs;
        source.rateSamples = 0;
    } else if (source.rateSamples >= int64_t(kRateSpanSeconds * chunk.sampleRate)) {
        const double nominalUs = double(source.rateSamples) * 1e6 / chunk.sampleRate;
        source.rate =
            std::clamp(double(chunk.timestampUs - source.rateFromUs) / nominalUs - 1.0, -kMaxStretch, kMaxStretch);
        source.rateFromUs = chunk.timestampUs;
        source.rateSamples = 0;
    }
    source.rateSamples += chunk.sampleCount;
    const int64_t band = av_rescale(kFollowBandUs, m_sampleRate, 1000000);
    const int64_t excess = ahead > band ? ahead - band : ahead < -band ? ahead + band : 0;
    const double target =
        std::clamp(source.rate + double(excess) / (kFollowSpanSeconds * m_sampleRate), -kMaxStretch, kMaxStretch);
    // The stretch glides toward what is asked: a step of a few hundredths of a per cent
    // within a block of sound is already a blemish a fitted sine shows.
    source.stretch += (target - source.stretch) * std::min(1.0, chunk.sampleCount / (kGlideSeconds * chunk.sampleRate));
    const double stretch = source.stretch;
    const int distance = kCompensationSeconds * m_sampleRate;
    const int delta = int(std::lround(stretch * distance));
    const bool lapsing = delta != 0 && source.cursor - source.compensationFrom >= distance / 2;
    if ((delta != source.compensation || lapsing) &&
        swr_set_compensation(source.resampler.get(), delta, distance) >= 0) {
        source.compensation = delta;
        source.compensationFrom = source.cursor;
    }
}

void AudioPipeline::addToMix(int64_t first, const float* values, int64_t samples) {
    const size_t offset = size_t(first - m_mixBase) * size_t(m_channels);
    const size_t count = size_t(samples) * size_t(m_channels);
    if (m_mix.size() < offset + count)
        m_mix.resize(offset + count, 0.0f);
    for (size_t i = 0; i < count; ++i)
        m_mix[offset + i] += values[i];
}

void AudioPipeline::drainResamplers() {
    // What each resampler still holds (a few samples of its filter) is the end of its
    // source's sound.
    for (Source& source : m_sources) {
        if (!source.resampler || source.cursor < m_mixBase)
            continue;
        const int capacity = int(swr_get_delay(source.resampler.get(), m_sampleRate)) + 16;
        std::vector<float> tail(size_t(capacity) * size_t(m_channels));
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(tail.data())};
        const int count = swr_convert(source.resampler.get(), out, capacity, nullptr, 0);
        if (count <= 0)
            continue;
        addToMix(source.cursor, tail.data(), count);
        source.cursor += count;
    }
}

void AudioPipeline::emitUpTo(int64_t sampleIndex) {
    if (sampleIndex <= m_mixBase)
        return;
    const size_t values = size_t(sampleIndex - m_mixBase) * size_t(m_channels);
    if (m_mix.size() < values)
        m_mix.resize(values, 0.0f);
    std::vector<int16_t> level(values);
    for (size_t i = 0; i < values; ++i) {
        m_mix[i] = std::max(-1.0f, std::min(1.0f, m_mix[i]));
        level[i] = toS16(m_mix[i]);
    }
    m_pending.insert(m_pending.end(), m_mix.begin(), m_mix.begin() + std::ptrdiff_t(values));
    m_mix.erase(m_mix.begin(), m_mix.begin() + std::ptrdiff_t(values));
    m_mixBase = sampleIndex;

    std::lock_guard<std::mutex> guard(m_levelLock);
    m_levelSamples.insert(m_levelSamples.end(), level.begin(), level.end());
    const size_t limit = size_t(m_sampleRate) * size_t(m_channels);
    if (m_levelSamples.size() > limit)
        m_levelSamples.erase(m_levelSamples.begin(),
                             m_levelSamples.begin() + std::ptrdiff_t(m_levelSamples.size() - limit));
}

void AudioPipeline::encodePending(bool flush) {
    if (m_skipSamples > 0) {
        const size_t values = std::min(m_pending.size(), size_t(m_skipSamples) * size_t(m_channels));
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(values));
        m_skipSamples -= int64_t(values / size_t(m_channels));
    }
    const size_t frameValues = size_t(m_frameSize) * size_t(m_channels);
    size_t used = 0;
    while (m_pending.size() - used >= frameValues || (flush && m_pending.size() > used)) {
        libav::FramePtr frame = libav::makeFrame();
        if (!frame)
            break;
        const size_t available = std::min(frameValues, m_pending.size() - used);
        const int capabilities = m_encoder->codec->capabilities;
        const bool shortAllowed = capabilities & (AV_CODEC_CAP_VARIABLE_FRAME_SIZE | AV_CODEC_CAP_SMALL_LAST_FRAME);
        // A last, short frame is filled up with silence for encoders that take only
        // whole frames.
        const int samples = shortAllowed ? int(available / size_t(m_channels)) : m_frameSize;
        std::vector<float> block(m_pending.begin() + std::ptrdiff_t(used),
                                 m_pending.begin() + std::ptrdiff_t(used + available));
        block.resize(size_t(samples) * size_t(m_channels), 0.0f);
        used += available;
        frame->nb_samples = samples;
        frame->format = m_encoder->sample_fmt;
        frame->sample_rate = m_sampleRate;
        av_channel_layout_copy(&frame->ch_layout, &m_layout);
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            break;
        const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(block.data())};
        swr_convert(m_packer.get(), frame->data, samples, in, samples);
        frame->pts = m_encodedSamples;
        m_encodedSamples += samples;
        send(frame.get());
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(used));
}

void AudioPipeline::send(AVFrame* frame) {
    // Fragments carry no edit list to hide the encoder's priming samples before zero;
    // the muxer would shift every stream and stretch the first picture. The sound
    // starts at zero instead, priming first; the mix was advanced by as many samples
    // (encodePending), so it still plays in step.
    const int64_t shift = m_output->isFragmented() ? m_encoder->initial_padding : 0;
    encodeAndWrite(m_encoder.get(), frame, m_packet.get(), *m_output, m_stream, shift);
}

void AudioPipeline::finish(int64_t endUs) {
    if (!endPipelineThread(m_lock, m_wake, m_finishing, m_thread))
        return;
    collect(true);
    drainResamplers();
    // The sound ends with the picture, at the stop: what a source holds beyond it was
    // not recorded.
    emitUpTo(av_rescale(endUs, m_sampleRate, 1000000));
    encodePending(true);
    send(nullptr);
    for (Source& source : m_sources) {
        if (!source.track)
            continue;
        {
            std::lock_guard<std::mutex> guard(source.track->lock);
            --source.track->readers;
        }
        source.track->notify(2);
    }
}

std::vector<int16_t> AudioPipeline::takeLevelSamples() {
    std::lock_guard<std::mutex> guard(m_levelLock);
    std::vector<int16_t> samples(m_levelSamples.begin(), m_levelSamples.end());
    m_levelSamples.clear();
    return samples;
}

uint64_t AudioPipeline::dropped() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_dropped;
}

} // namespace calvorine::codec
