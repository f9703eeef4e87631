#include "media/CAVConverter.h"

#include "media/RZInfoManager.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char* copyText(const char* text) {
    return text ? strdup(text) : nullptr;
}

} // namespace

IAVConverter* createAVConverter() {
    return new CAVConverter();
}

void releaseAVConverter(IAVConverter* converter) {
    delete converter;
}

CAVConverter::CAVConverter() = default;

CAVConverter::~CAVConverter() {
    stopConvert();
    stopAndWait();
    closeConversion();
    releaseParams();
    std::free(m_source);
    std::free(m_destination);
    delete m_param;
}

void CAVConverter::releaseParams() {
    if (m_encoderParams) {
        cvcodec_params_release(m_encoderParams);
        m_encoderParams = nullptr;
    }
}

void CAVConverter::closeConversion() {
    std::lock_guard<std::mutex> lock(m_handleLock);
    if (m_convert) {
        cvcodec_converter_close(m_convert);
        cvcodec_converter_release(m_convert);
        m_convert = nullptr;
    }
}

void CAVConverter::report(int value, int state) {
    std::lock_guard<std::mutex> lock(m_callbackLock);
    if (m_callback) {
        m_callback(value, m_context, state);
    }
}

void CAVConverter::forgetJob() {
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        m_callback = nullptr;
        m_context = nullptr;
    }
    delete m_param;
    m_param = nullptr;
}

bool CAVConverter::enterPhase(Phase phase) {
    std::lock_guard<std::mutex> lock(m_handleLock);
    if (m_stopRequested) {
        m_phase = Phase::Done;
        return false;
    }
    m_phase = phase;
    return true;
}

bool CAVConverter::startConvert(const char* source, const char* destination, ConvertParam* param, void* context,
                                ConvertProgressCallback callback, bool async) {
    if (!source || !destination || !param) {
        return false;
    }
    // A converter runs one job at a time: the previous one ends first.
    stopConvert();
    stopAndWait();
    closeConversion();
    releaseParams();

    m_async = async;
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        m_convert = param->tagsOnly ? cvcodec_converter_create_tags_only(-1) : cvcodec_converter_create(-1);
        if (!m_convert) {
            return false;
        }
        m_phase = Phase::Idle;
        m_stopRequested = false;
    }
    {
        std::lock_guard<std::mutex> lock(m_callbackLock);
        m_context = context;
        m_callback = callback;
    }
    m_encoderParams = cvcodec_params_create();
    if (m_encoderParams) {
        configureParams(m_encoderParams, *param);
        std::printf("video: 0x%0x, %u*%u, %u fps, %u kbps %u\nAudio: 0x%0x, %u Hz, %u bps, %u\n",
                    unsigned(param->videoCodecId), unsigned(param->videoWidth), unsigned(param->videoHeight),
                    unsigned(param->frameRateHundredths), unsigned(param->videoBitRate), unsigned(param->videoQuality),
                    unsigned(param->audioCodecId), unsigned(param->sampleRate), unsigned(param->audioBitRate),
                    unsigned(param->channels));
    }
    delete m_param;
    m_param = new ConvertParam(*param);
    std::free(m_source);
    std::free(m_destination);
    m_source = copyText(source);
    m_destination = copyText(destination);
    m_openedPercent = 0;
    m_mergeMode = false;
    m_finishedEvent.reset();

    if (async) {
        // The worker opens, starts and watches the job; its parameters are its own.
        start();
        return true;
    }

    int started = 0;
    if (openConversion(m_param->alternativeOpen)) {
        std::lock_guard<std::mutex> lock(m_handleLock);
        cvcodec_converter_set_range(m_convert, m_param->trimStartUs, m_param->trimLengthUs);
        started = cvcodec_converter_start(m_convert);
        std::printf("StartConvert------+++%d\n", started);
        if (started == 1) {
            m_phase = Phase::Running;
        }
    }
    releaseParams();
    if (started != 1) {
        // The output the open created goes now, not with the next job.
        closeConversion();
        forgetJob();
        return false;
    }
    start();
    return true;
}

// Opens without holding the lock: a stop meanwhile interrupts this open through the
// handle, which stays valid while the phase is Opening.
bool CAVConverter::openConversion(bool alternative) {
    const char* name = m_param && m_param->name ? m_param->name : "";
    cvcodec_converter convert = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        if (!m_convert || m_stopRequested) {
            return false;
        }
        m_phase = Phase::Opening;
        convert = m_convert;
    }
    return (alternative ? cvcodec_converter_open_alternative(convert, m_source, m_destination, name, m_encoderParams)
                        : cvcodec_converter_open(convert, m_source, m_destination, name, m_encoderParams)) == 1;
}

void CAVConverter::stopConvert() {
    bool haveConversion = false;
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        haveConversion = m_convert != nullptr;
        if (haveConversion) {
            m_stopRequested = true;
            if (m_phase == Phase::Opening) {
                // The worker is still opening: only this job's opens give up.
                cvcodec_converter_interrupt_open(m_convert);
                if (m_info) {
                    cvcodec_info_interrupt_open(m_info);
                }
            } else if (m_phase == Phase::Running && cvcodec_converter_stop(m_convert) == 0) {
                std::printf("stop convert failed! \r\n");
            }
        }
    }
    // The worker confirms every end, a stop as well as a finish that came first (and
    // may still be writing the tags of a finished job); without a worker nobody would,
    // and nothing is waited for.
    if (isRunning()) {
        m_finishedEvent.wait();
    }
    if (!haveConversion) {
        return;
    }
    closeConversion();
    std::lock_guard<std::mutex> lock(m_callbackLock);
    m_context = nullptr;
    m_callback = nullptr;
}

void CAVConverter::copyChapters() {
    cvcodec_info info = cvcodec_info_create(-1);
    if (!info) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        m_info = info;
        if (m_stopRequested) {
            cvcodec_info_interrupt_open(info);
        }
    }
    const bool opened = m_param->alternativeOpen ? cvcodec_info_open_alternative(info, m_source) &&
                                                       cvcodec_info_set_open_subtitle(info, m_param->subtitle.first)
                                                 : cvcodec_info_open(info, m_source);
    if (opened && !m_stopRequested) {
        const int speed = m_param->tagsOnly ? 100 : std::max(1, speedPercent(*m_param));
        const uint64_t windowStart = uint64_t(std::max<int64_t>(0, m_param->trimStartUs));
        const uint64_t windowEnd =
            m_param->trimLengthUs > 0 ? windowStart + uint64_t(m_param->trimLengthUs) : UINT64_MAX;
        const int count = cvcodec_info_chapter_count(info);
        for (int i = 0; i < count && !m_stopRequested; ++i) {
            const uint64_t start = cvcodec_info_chapter_start(info, i);
            const uint64_t end = start + cvcodec_info_chapter_length(info, i);
            if (end <= windowStart || start >= windowEnd) {
                continue;
            }
            const uint64_t clippedStart = std::max(start, windowStart) - windowStart;
            const uint64_t clippedEnd = std::min(end, windowEnd) - windowStart;
            if (clippedEnd <= clippedStart) {
                continue;
            }
            const char* title = cvcodec_info_chapter_title(info, i);
            const std::string text =
                title && *title ? std::string(title) : QStringLiteral("Chapter %1").arg(i + 1).toStdString();
            cvcodec_params_add_chapter(m_encoderParams, int64_t(clippedStart * 100 / uint64_t(speed)),
                                       int64_t((clippedEnd - clippedStart) * 100 / uint64_t(speed)), text.c_str());
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        m_info = nullptr;
    }
    cvcodec_info_close(info);
    cvcodec_info_release(info);
}

void CAVConverter::run() {
    if (m_async && !m_mergeMode && !openAndStartOnWorker()) {
        return;
    }
    if (!watchUntilEnded()) {
        return;
    }
    finishJob();
}

bool CAVConverter::openAndStartOnWorker() {
    report(1, 3);
    QElapsedTimer opening;
    opening.start();
    bool opened = false;
    if (enterPhase(Phase::Opening)) {
        copyChapters();
        opened = openConversion(false);
    }
    m_openedPercent = int(std::min<qint64>(20, opening.elapsed() / 4000));
    releaseParams();
    int started = 0;
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        if (opened && !m_stopRequested) {
            cvcodec_converter_set_range(m_convert, m_param->trimStartUs, m_param->trimLengthUs);
            started = cvcodec_converter_start(m_convert);
        }
        m_phase = started == 1 ? Phase::Running : Phase::Done;
    }
    if (started == 1) {
        return true;
    }
    if (m_stopRequested) {
        report(100, 1);
    } else {
        report(0, 5);
    }
    closeConversion();
    forgetJob();
    m_finishedEvent.set();
    return false;
}

bool CAVConverter::watchUntilEnded() {
    int reported = -1;
    const int base = m_openedPercent;
    for (;;) {
        cvcodec_converter convert = m_convert;
        if (!convert || cvcodec_converter_is_finished(convert)) {
            return true;
        }
        if (cvcodec_converter_is_stopped(convert) && m_stopRequested) {
            {
                std::lock_guard<std::mutex> lock(m_handleLock);
                m_phase = Phase::Done;
            }
            report(0, 1);
            m_finishedEvent.set();
            return false;
        }
        const uint64_t position = cvcodec_converter_position(convert);
        const uint64_t duration = cvcodec_converter_duration(convert);
        if (duration > 0) {
            const double share = std::min(1.0, double(position) / double(duration));
            const int progress = std::min(100, int(base + (100 - base) * share));
            if (progress > reported) {
                reported = progress;
                report(progress, 6);
            }
        }
        // The stop event ends the watch when the converter object goes away.
        if (stopEvent().waitFor(std::chrono::milliseconds(100)) && !m_convert) {
            return true;
        }
    }
}

void CAVConverter::finishJob() {
    bool failed = true;
    {
        std::lock_guard<std::mutex> lock(m_handleLock);
        if (m_convert) {
            failed = cvcodec_converter_has_failed(m_convert) != 0;
        }
        m_phase = Phase::Done;
    }
    // The output is complete and closed before its tags are written; a job whose tags
    // could not be written did not give what was asked.
    closeConversion();
    if (!failed && !writeTags()) {
        std::printf("writing the tags of %s failed\n", m_destination ? m_destination : "");
        failed = true;
    }
    report(failed ? 0 : 100, failed ? 5 : 2);
    forgetJob();
    std::free(m_source);
    std::free(m_destination);
    m_source = nullptr;
    m_destination = nullptr;
    m_finishedEvent.set();
}

bool CAVConverter::writeTags() {
    if (!m_param || !m_destination) {
        return false;
    }
    const QString destination = QString::fromUtf8(m_destination);
    // The muxer already wrote the tags of a type the tag library cannot write.
    if (!RZInfoManager::canWriteTags(destination)) {
        return true;
    }
    return RZInfoManager::writeTags(destination, m_param->tags);
}

bool CAVConverter::startMerge(const std::vector<const char*>&, ConvertParam*) {
    return false;
}

bool CAVConverter::startMergeAsync(const std::vector<const char*>&, ConvertParam*, void*, ConvertProgressCallback) {
    return false;
}

void CAVConverter::stopMerge(bool) {}

bool CAVConverter::startMux(const char*, const void*, void*, ConvertProgressCallback, ConvertProgressCallback) {
    return false;
}

bool CAVConverter::addTrack(int, int, const void*) {
    return false;
}

bool CAVConverter::addTrackSimple(const void* track, int type, int format) {
    return addTrack(type, format, track);
}

bool CAVConverter::writePacket(int, const void*) {
    return false;
}

void CAVConverter::endTracks() {}
