// Level blocks: sound handed out for level display, a 44-byte header followed by
// interleaved signed 16-bit samples. Internal to the codec library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace calvorine::codec {

// A new block holding the samples; null when there are none. Free with freeLevelBlock.
uint8_t* makeLevelBlock(const int16_t* samples, size_t sampleCount, int channels, int sampleRate);
void freeLevelBlock(uint8_t* block);

// The blocks one handle has handed out, so that only those are ever freed through it.
class LevelBlockSet {
public:
    LevelBlockSet() = default;
    LevelBlockSet(const LevelBlockSet&) = delete;
    LevelBlockSet& operator=(const LevelBlockSet&) = delete;
    ~LevelBlockSet();

    uint8_t* keep(uint8_t* block);
    // Frees the block when it is one of ours; false otherwise.
    bool release(uint8_t* block);

private:
    std::mutex m_lock;
    std::unordered_set<uint8_t*> m_blocks;
};

} // namespace calvorine::codec
