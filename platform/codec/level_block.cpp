#include "level_block.h"

#include "calvorine_codec.h"

#include <cstdlib>
#include <cstring>

namespace calvorine::codec {

namespace {

void put16(uint8_t* at, uint16_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

} // namespace

uint8_t* makeLevelBlock(const int16_t* samples, size_t sampleCount, int channels, int sampleRate) {
    if (!samples || sampleCount == 0)
        return nullptr;
    const size_t dataBytes = sampleCount * sizeof(int16_t);
    auto* block = static_cast<uint8_t*>(std::calloc(1, CVCODEC_LEVEL_HEADER_BYTES + dataBytes));
    if (!block)
        return nullptr;
    std::memcpy(block, "LEVL", 4);
    put16(block + 22, uint16_t(channels));
    put32(block + CVCODEC_LEVEL_SIZE_OFFSET, uint32_t(dataBytes));
    put32(block + 28, uint32_t(sampleRate));
    put16(block + 34, 16);
    put32(block + CVCODEC_LEVEL_SIZE_OFFSET_AGAIN, uint32_t(dataBytes));
    std::memcpy(block + CVCODEC_LEVEL_HEADER_BYTES, samples, dataBytes);
    return block;
}

void freeLevelBlock(uint8_t* block) {
    std::free(block);
}

LevelBlockSet::~LevelBlockSet() {
    for (uint8_t* block : m_blocks)
        freeLevelBlock(block);
}

uint8_t* LevelBlockSet::keep(uint8_t* block) {
    if (block) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_blocks.insert(block);
    }
    return block;
}

bool LevelBlockSet::release(uint8_t* block) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!block || m_blocks.erase(block) == 0)
            return false;
    }
    freeLevelBlock(block);
    return true;
}

} // namespace calvorine::codec
