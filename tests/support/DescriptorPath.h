#pragma once
// What a descriptor of this process is open on, for the tests that put a failing disk under
// one file by standing in for read() or close(): they must not call back into what they
// replace, so only readlink is used.

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace descriptors {

// The path the descriptor is open on (/proc/self/fd), empty when it has none.
inline std::string pathOf(int fd) {
    char link[64];
    char path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    return length > 0 ? std::string(path, size_t(length)) : std::string();
}

inline bool pathEndsWith(int fd, const char* name) {
    const std::string path = pathOf(fd);
    const size_t nameLength = std::strlen(name);
    return !path.empty() && path.size() >= nameLength && path.compare(path.size() - nameLength, nameLength, name) == 0;
}

} // namespace descriptors
