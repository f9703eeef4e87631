#include "os_version.h"

#include <sys/utsname.h>

#include <fstream>
#include <sstream>

namespace calvorine::platform {

namespace {

// Removes the quotes and backslash escapes of an os-release value.
std::string unquote(const std::string& raw) {
    std::string value = raw;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        out.push_back(value[i]);
    }
    return out;
}

} // namespace

OsVersion parseOsRelease(const std::string& text) {
    OsVersion version;
    std::string versionId;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = unquote(line.substr(equals + 1));
        if (key == "NAME") {
            version.name = value;
        } else if (key == "VERSION") {
            version.version = value;
        } else if (key == "VERSION_ID") {
            versionId = value;
        } else if (key == "PRETTY_NAME") {
            version.prettyName = value;
        }
    }
    if (version.version.empty()) {
        version.version = versionId;
    }
    if (version.prettyName.empty() && !version.name.empty()) {
        version.prettyName = version.version.empty() ? version.name : version.name + " " + version.version;
    }
    return version;
}

OsVersion readOsVersion() {
    OsVersion version;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream file(path);
        if (file) {
            std::stringstream text;
            text << file.rdbuf();
            version = parseOsRelease(text.str());
            break;
        }
    }
    utsname names{};
    if (uname(&names) == 0) {
        version.kernelName = names.sysname;
        version.kernelRelease = names.release;
        if (version.name.empty()) {
            version.name = version.kernelName;
        }
    }
    return version;
}

std::string osVersionText(const OsVersion& version) {
    std::string kernel = version.kernelName;
    if (!version.kernelRelease.empty()) {
        kernel += kernel.empty() ? version.kernelRelease : " " + version.kernelRelease;
    }
    if (version.prettyName.empty()) {
        return kernel;
    }
    return kernel.empty() ? version.prettyName : version.prettyName + ", " + kernel;
}

} // namespace calvorine::platform
