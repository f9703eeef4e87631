// Conversion of one media file into another (re-encode, trim, edits, tags) through the
// codec library, watched by a worker thread that reports progress through a plain
// callback.
//
// Threads: startConvert and stopConvert run on the owner's thread; the callback runs on
// the converter's worker, whose receiver hands the report to its own thread. The job's
// life is one state under one lock (opening, running, done): a stop while the worker
// opens makes that open give up (that open only), a stop while it runs stops the work,
// and stopConvert returns once the worker has confirmed the end; the worker may end on
// its own at the same moment, and whichever comes first closes the codec handles (once).
#pragma once

#include "app/QUtilThread.h"
#include "media/ConvertParam.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// Progress reports: (percent 0-100, context, state). States: 1 stopped, 2 finished,
// 3 opening, 5 failed, 6 progress.
using ConvertProgressCallback = void (*)(int value, void* context, int state);

class IAVConverter {
public:
    // Released through this interface: the converter's own destructor (which joins its
    // worker) must run.
    virtual ~IAVConverter() = default;

    virtual bool startConvert(const char* source, const char* destination, ConvertParam* param, void* context,
                              ConvertProgressCallback callback, bool async) = 0;
    virtual void stopConvert() = 0;
    // Merging several inputs and muxing elementary streams are not offered by this
    // codec library: these fail.
    virtual bool startMerge(const std::vector<const char*>& inputs, ConvertParam* param) = 0;
    virtual bool startMergeAsync(const std::vector<const char*>& inputs, ConvertParam* param, void* context,
                                 ConvertProgressCallback callback) = 0;
    virtual void stopMerge(bool wait) = 0;
    virtual bool startMux(const char* output, const void* streams, void* context, ConvertProgressCallback duration,
                          ConvertProgressCallback position) = 0;
    virtual bool addTrack(int type, int format, const void* track) = 0;
    virtual bool addTrackSimple(const void* track, int type, int format) = 0;
    virtual bool writePacket(int track, const void* packet) = 0;
    virtual void endTracks() = 0;

protected:
    ConvertParam* m_param = nullptr; // owned copy of the job's parameters
    char* m_source = nullptr;        // owned (malloc) UTF-8 copies
    char* m_destination = nullptr;
};

class CAVConverter : public IAVConverter, public QUtilThread {
public:
    CAVConverter();
    ~CAVConverter() override;

    bool startConvert(const char* source, const char* destination, ConvertParam* param, void* context,
                      ConvertProgressCallback callback, bool async) override;
    void stopConvert() override;
    bool startMerge(const std::vector<const char*>& inputs, ConvertParam* param) override;
    bool startMergeAsync(const std::vector<const char*>& inputs, ConvertParam* param, void* context,
                         ConvertProgressCallback callback) override;
    void stopMerge(bool wait) override;
    bool startMux(const char* output, const void* streams, void* context, ConvertProgressCallback duration,
                  ConvertProgressCallback position) override;
    bool addTrack(int type, int format, const void* track) override;
    bool addTrackSimple(const void* track, int type, int format) override;
    bool writePacket(int track, const void* packet) override;
    void endTracks() override;

    // Writes the 13 text tags and the cover of the job's parameters into the (closed)
    // output file with the audio-tag library; false when they could not be written.
    bool writeTags();

protected:
    void run() override;

private:
    // The worker's steps. An asynchronous job opens and starts on the worker (false: it
    // ended there, reported); the watch reports progress until the work ends (false: it
    // was stopped, reported); the finish closes the output, writes its tags and reports.
    bool openAndStartOnWorker();
    bool watchUntilEnded();
    void finishJob();

    bool openConversion(bool alternative);
    void closeConversion();
    void releaseParams();
    void report(int value, int state);
    void forgetJob();
    void copyChapters();

    enum class Phase { Idle, Opening, Running, Done };
    // The job's state. Opening: the worker opens the source (m_convert and m_info stay
    // valid for the interrupt); Running: the work runs; Done: it ended or never began.
    bool enterPhase(Phase phase);

    cvcodec_converter m_convert = nullptr;
    cvcodec_info m_info = nullptr; // the chapter reader while opening
    cvcodec_params m_encoderParams = nullptr;
    std::mutex m_handleLock; // guards m_convert, m_info, m_phase and the stop request
    Phase m_phase = Phase::Idle;
    std::atomic<bool> m_stopRequested{false};
    void* m_context = nullptr;
    ConvertProgressCallback m_callback = nullptr;
    std::mutex m_callbackLock;
    bool m_mergeMode = false;
    bool m_async = false;
    ManualResetEvent m_finishedEvent;
    int m_openedPercent = 0; // the share of the progress bar the asynchronous open took
};

IAVConverter* createAVConverter();
void releaseAVConverter(IAVConverter* converter);
