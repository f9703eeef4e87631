// Whose are the key file and the System V object of an inter-process lock or shared
// segment, keyed as ftok(keyFile, 'Q') makes the key (how the framework's system
// semaphore and shared memory key theirs). Thread-safe (no state).
#pragma once

#include <string>

namespace calvorine::platform {

enum class IpcObjectKind { Semaphore, SharedMemory };

// True when nothing there belongs to another user: the key file is absent or a plain
// file of this user, and no object of the kind is under its key or the one there was
// made by this user and is still theirs. False also when that cannot be told (an object
// this user may not even look at is someone else's).
bool isOwnIpcKey(const std::string& keyFile, IpcObjectKind kind);

} // namespace calvorine::platform
