// The operating system's name and version texts. Thread-safe (no state).
#pragma once

#include <string>

namespace calvorine::platform {

struct OsVersion {
    std::string name;          // os-release NAME, else uname sysname ("Debian GNU/Linux")
    std::string version;       // os-release VERSION, else VERSION_ID ("12 (bookworm)")
    std::string prettyName;    // os-release PRETTY_NAME, else name + " " + version
    std::string kernelName;    // uname sysname ("Linux")
    std::string kernelRelease; // uname release ("6.1.0-18-amd64")
};

// Reads /etc/os-release (else /usr/lib/os-release) and uname.
OsVersion readOsVersion();

// Parses the text of an os-release file into name, version and prettyName (the uname
// fields stay empty). Quotes and backslash escapes are removed as os-release(5) says.
OsVersion parseOsRelease(const std::string& text);

// "PRETTY_NAME, KERNEL RELEASE", for example "Debian GNU/Linux 12 (bookworm), Linux
// 6.1.0-18-amd64"; the parts that are known; empty when nothing is.
std::string osVersionText(const OsVersion& version);

} // namespace calvorine::platform
