// One output file: its muxer, its streams and the lock under which the encoder threads
// hand it packets. Fragmented files are cut into pieces of about a second, each written
// through to the file as soon as it is complete. Internal to the codec library.
#pragma once

#include "libav_objects.h"
#include "muxer_table.h"

#include <atomic>
#include <mutex>
#include <string>

namespace calvorine::codec {

class MuxerOutput {
public:
    // Allocates the muxer's context for the file; false for a muxer libav lacks.
    bool create(const MuxerEntry& muxer, const std::string& pathUtf8);
    // True when encoders for this muxer must put their headers out of band.
    bool wantsGlobalHeader() const;
    bool isFragmented() const { return m_muxer && m_muxer->fragmented; }
    // A new stream with the encoder's parameters; null on failure.
    AVStream* addStream(const AVCodecContext* encoder, uint32_t codecTag);
    // Opens the file and writes the header; false when the path cannot be written.
    bool start();
    // Writes one encoded packet, timestamps in the encoder's time base. Thread-safe.
    bool write(AVPacket* packet, AVStream* stream, AVRational encoderTimeBase);
    // Writes the trailer and closes the file. True when the whole file reached the disk:
    // no write, encoder, trailer or close failure since start. Thread-safe; later calls
    // return the first call's result.
    bool finish();
    // Marks the file failed (an encoder that refused a frame): nothing more reaches it
    // and finish() reports the failure. The error is a libav code, logged once.
    void fail(const char* what, int error);
    // True once a write has failed (a full disk, a file grown past its limit) or fail()
    // was called: nothing more reaches the file. Thread-safe.
    bool failed() const { return m_failed; }

private:
    void failLocked(const char* what, int error);
    // Remembers the length of the file up to its last whole fragment.
    void noteWholeLength();

    std::mutex m_lock;
    libav::OutputContextPtr m_context;
    const MuxerEntry* m_muxer = nullptr;
    std::string m_path;
    bool m_started = false;
    bool m_finished = false;
    // A write, the trailer or the close failed: the file may end in a cut piece.
    bool m_writeFailed = false;
    // Of a fragmented file: its length after the header or the last fragment written.
    int64_t m_wholeLength = 0;
    std::atomic<bool> m_failed{false};
};

} // namespace calvorine::codec
