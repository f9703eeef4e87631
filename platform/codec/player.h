// The player: plays one file with its sound through the sound server and hands its
// pictures to the owner in step with the sound clock, with the edits of a conversion
// applied live. Internal to the codec library.
//
// Threads: every public member is called from the owner's thread. The player runs two
// threads of its own: the engine (reads, decodes, filters, presents pictures) and the
// sound output. Decoder state is reached only under m_lock, so seeks and steps run on
// the caller's thread and are done when they return.
#pragma once

#include "filters.h"
#include "level_block.h"
#include "playback_av.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct pa_simple;

namespace calvorine::codec {

class Player {
public:
    using FrameCallback = void (*)(void* context);

    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Opens a file, paused on its first picture. A failed open leaves the player empty
    // (the previous file is closed either way).
    bool open(const char* pathUtf8);
    void close();
    bool isOpen() const;

    bool play();
    bool pause();
    bool stop();
    bool seek(int64_t timeUs);
    bool step(int direction);
    bool showCurrentFrame();

    bool isAtEnd() const;
    bool isPaused() const;
    bool hasVideo() const;
    bool hasAudio() const;
    uint64_t durationUs() const;
    uint64_t positionUs() const;
    uint64_t frameTimeUs() const;
    int videoWidth() const;
    int videoHeight() const;
    int displayWidth() const;
    int displayHeight() const;

    void setFrameCallback(FrameCallback callback, void* context);
    // The shown picture with the edits, or (Source) as the file has it: the latter only
    // while a main window is set (that window shows the unedited picture).
    enum class Picture { Edited, Source };
    bool frameSize(int* width, int* height, Picture which = Picture::Edited) const;
    bool copyFrame(void* pixels, int bytesPerLine, int width, int height, Picture which = Picture::Edited) const;
    // Presents the current picture again (the owner repaints).
    void repaint();

    uint8_t* levelBlock();
    bool releaseLevelBlock(uint8_t* block);
    uint8_t* snapshot() const;

    // Edits: change the records between beginUpdate and endUpdate (or alone, then call
    // applyEdits). The picture shown while paused is redrawn with the new edits.
    void beginUpdate();
    void endUpdate();
    VideoEdit& videoEdit() { return m_pendingVideo; }
    AudioEdit& audioEdit() { return m_pendingAudio; }
    void applyEdits();
    void setVolume(int percent);

    int64_t windowId(int which) const { return m_windows[which & 1].load(); }
    // Setting a main window makes the unedited picture of the shown one at once, so that
    // a paused player has it to show too.
    void setWindowId(int which, int64_t id);

private:
    struct AudioChunk {
        int64_t sourceUs = 0;   // source time of the first sample
        int64_t durationUs = 0; // source time the chunk covers
        std::vector<int16_t> samples;
    };

    void engineLoop();
    void audioLoop();

    // The sound thread's steps. takeChunk (m_lock held by `lock`, which it may let go of
    // while the sound server is waited for) gives the next chunk to play, if any, and
    // opens the stream for the current output format; playChunk writes it (false when
    // there is no stream or the server went away); followSoundClock keeps the picture
    // clock with what the server has played.
    struct SoundStream;
    enum class ChunkTaken { Chunk, None, Quit };
    ChunkTaken takeChunk(std::unique_lock<std::mutex>& lock, SoundStream& out, AudioChunk& chunk);
    void openSoundStream(std::unique_lock<std::mutex>& lock, SoundStream& out);
    bool playChunk(SoundStream& out, const AudioChunk& chunk);
    void followSoundClock(SoundStream& out, int64_t writtenEndUs);
    void closeSoundStream(SoundStream& out);
    void stopThreads();

    // step and applyEdits; each takes m_lock (the public members tell the owner after).
    bool stepLocked(int direction);
    void applyEditsLocked();

    // All below: m_lock held.
    bool readAndDecode(bool wantVideoFrame);
    int readPacket();
    // A stream timestamp in microseconds of the file's timeline (AV_NOPTS_VALUE stays).
    int64_t fileTimeUs(int64_t timestamp, AVRational timeBase) const;
    bool decodeVideoPacket(const AVPacket* packet);
    bool decodeAudioPacket(const AVPacket* packet);
    void takeAudioFrame(AVFrame* frame);
    bool filterVideoFrame(const AVFrame* frame, int64_t timeUs, av::BgraImage& out);
    // Keeps the picture as the shown one; the owner is told by deliverFrame, which runs
    // without m_lock (a callback may ask the player anything).
    // `raw` is the decoded picture before the edits (null: the unedited one stays).
    void present(av::BgraImage&& image, int64_t timeUs, const AVFrame* raw);
    bool seekLocked(int64_t timeUs);
    bool stepForwardLocked();
    void flushQueues();
    void rebuildAudioGraph(const AVFrame* frame);
    int64_t clockUs() const;
    void setClock(int64_t sourceUs);
    int64_t frameDurationUs() const;
    bool drained() const;

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::thread m_engine;
    std::thread m_audio;
    std::atomic<bool> m_quit{false};
    // The audio thread's sound-server stream, so that stopThreads can flush it: a write
    // held by a stalled sink then returns at once. The audio thread sets and frees it
    // under m_soundOutputLock and never writes to it under that lock.
    std::mutex m_soundOutputLock;
    pa_simple* m_soundOutput = nullptr;
    // Set under m_soundOutputLock when the sound thread has left its loop.
    bool m_audioEnded = true;
    std::condition_variable m_audioEnd;

    std::string m_path;
    av::InputPtr m_input;
    // Where the file's timeline begins: every time the player deals in (position, shown
    // picture, seek targets, edit ranges) counts from here, so the file runs from 0.
    int64_t m_startUs = 0;
    // Packets the last seek read to check where it landed; they are decoded first.
    std::deque<av::PacketPtr> m_heldPackets;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    av::CodecContextPtr m_videoDecoder;
    av::CodecContextPtr m_audioDecoder;
    av::FramePtr m_frame;
    av::FramePtr m_filtered;
    av::PacketPtr m_packet;
    av::FramePtr m_lastRaw; // the shown picture before the edits, for a redraw
    int64_t m_lastRawTimeUs = 0;

    av::SwsPtr m_scaler;
    FilterGraph m_videoGraph;
    unsigned m_graphVisibleParts = ~0u;
    FilterGraph m_audioGraph;
    VideoEdit m_appliedVideo;
    VideoEdit m_pendingVideo;
    AudioEdit m_appliedAudio;
    AudioEdit m_pendingAudio;
    int m_updateDepth = 0;
    int64_t m_audioGraphStartUs = 0;

    struct QueuedPicture {
        int64_t timeUs;
        av::BgraImage image;
        av::FramePtr raw; // before the edits
    };
    std::deque<QueuedPicture> m_pictures;
    std::deque<AudioChunk> m_sound;
    std::deque<AudioChunk> m_levelQueue; // decoded sound not yet reached by the clock
    int64_t m_soundQueuedUs = 0;
    bool m_endOfFile = false;
    bool m_atEnd = false;
    bool m_playing = false;
    int64_t m_skipBeforeUs = 0; // frames before this source time are dropped (after a seek)
    std::atomic<bool> m_flushSound{false};
    // On the sound thread without a sound server: waits until the clock reaches the time
    // (or the player pauses, flushes or closes).
    void waitForClock(int64_t sourceUs);
    // Engine thread, m_lock held: moves the sound the clock has reached to the level
    // samples, and drops queued sound that has become too late to play.
    void releaseLevels(int64_t nowUs);
    void dropStaleSound(int64_t nowUs);
    void applyVolume(std::vector<int16_t>& samples) const;

    // The clock, in source microseconds: a wall-clock anchor kept in step with the sound.
    int64_t m_clockBaseUs = 0;
    int64_t m_clockStartWallUs = 0;

    mutable std::mutex m_frameLock; // the shown picture
    av::BgraImage m_shown;
    av::BgraImage m_shownSource; // the shown picture before the edits
    av::FramePtr m_shownRaw;     // the decoded shown picture, for m_shownSource on demand
    bool m_shownSourceCurrent = false;
    av::SwsPtr m_sourceScaler;
    // m_frameLock held: makes m_shownSource from m_shownRaw unless it is current already.
    void makeShownSourceLocked();
    int64_t m_shownTimeUs = 0;
    FrameCallback m_callback = nullptr;
    void* m_callbackContext = nullptr;
    bool m_framePending = false; // presented, not yet told to the owner

    // Calls the frame callback when a picture was presented since the last call. Never
    // with m_lock held.
    void deliverFrame();

    std::atomic<int> m_volumePercent{100};
    std::atomic<int64_t> m_windows[2] = {{0}, {0}};

    std::mutex m_levelLock;
    std::vector<int16_t> m_levelSamples;
    int m_outputRate = 44100;
    int m_outputChannels = 2;
    LevelBlockSet m_levelBlocks;
};

} // namespace calvorine::codec
