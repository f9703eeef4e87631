#include "media/CProfileManager.h"

#include <QtGlobal>

#include <algorithm>
#include <exception>

using Plist::Array;
using Plist::Dictionary;

namespace {

const char* const kAuto = "Auto";

// The catalogue reads the file as it finds it: a key that is missing or holds another
// type than expected reads as absent, so that a damaged profile can never throw out of
// a window's slot.
const Dictionary* dictAt(const Dictionary& dict, const std::string& key) {
    const auto it = dict.find(key);
    return it == dict.end() ? nullptr : boost::any_cast<Dictionary>(&it->second);
}

const Array* arrayAt(const Dictionary& dict, const std::string& key) {
    const auto it = dict.find(key);
    return it == dict.end() ? nullptr : boost::any_cast<Array>(&it->second);
}

std::string textAt(const Dictionary* dict, const std::string& key) {
    if (!dict)
        return std::string();
    const auto it = dict->find(key.empty() ? std::string("supports") : key);
    if (it == dict->end())
        return std::string();
    const std::string* text = boost::any_cast<std::string>(&it->second);
    return text ? *text : std::string();
}

const Dictionary* asDict(const boost::any& value) {
    return boost::any_cast<Dictionary>(&value);
}

// A choice list that starts with "Auto" when the profile offers it.
std::vector<std::string> autoList(bool hasAuto) {
    return hasAuto ? std::vector<std::string>{kAuto} : std::vector<std::string>{};
}

bool contains(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

std::string trimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string dictString(const Dictionary& dict, const std::string& key) {
    if (dict.empty())
        return std::string();
    const auto it = dict.find(key.empty() ? std::string("supports") : key);
    if (it == dict.end())
        return std::string();
    return boost::any_cast<std::string>(it->second);
}

void splitListWithUnit(const std::string& text, const std::string& unit, std::vector<std::string>& list) {
    if (text.empty())
        return;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string piece =
            trimBlanks(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (piece == "0")
            list.push_back(kAuto);
        else if (!piece.empty())
            list.push_back(piece + unit);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

void splitList(const std::string& text, std::vector<std::string>& list) {
    splitListWithUnit(text, std::string(), list);
}

void splitSection(const std::string& text, const std::string& name, std::vector<std::string>& list) {
    if (text.empty() || name.empty())
        return;
    const size_t found = text.find(name);
    if (found == std::string::npos)
        return;
    // Skip the name and the one separator character after it.
    const size_t start = found + name.size() + 1;
    if (start >= text.size())
        return;
    const size_t bar = text.find('|', start);
    splitList(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start), list);
}

// ---------------------------------------------------------------------------------

CProfileManager* CProfileManager::instance(const std::string& path) {
    // Kept until the process ends, like every process-wide catalogue of the program.
    static CProfileManager* catalogue = new CProfileManager(path);
    return catalogue;
}

CProfileManager::CProfileManager(const std::string& path) : m_path(path) {
    load();
}

CProfileManager::~CProfileManager() = default;

void CProfileManager::load() {
    if (m_path.empty())
        return;
    try {
        Plist::readPlist(m_path, m_root);
        if (!arrayAt(m_root, "Categories"))
            m_loadError = "the file has no \"Categories\" list";
    } catch (const std::exception& error) {
        m_loadError = error.what();
    }
    if (!m_loadError.empty()) {
        m_root.clear();
        qWarning("Output format catalogue %s not usable: %s", m_path.c_str(), m_loadError.c_str());
    }
}

std::string CProfileManager::takeLoadError() {
    std::string error;
    error.swap(m_loadError);
    return error;
}

std::vector<std::string> CProfileManager::categories() {
    m_categories.clear();
    if (const Array* names = arrayAt(m_root, "Categories")) {
        for (const boost::any& name : *names) {
            if (const std::string* text = boost::any_cast<std::string>(&name))
                m_categories.push_back(*text);
        }
    }
    return m_categories;
}

std::vector<ProfileItem*>* CProfileManager::profilesOf(const std::string& category) {
    if (category.empty())
        return nullptr;
    m_profiles.clear();
    m_profileItems.clear();
    if (const Array* profiles = arrayAt(m_root, category)) {
        for (const boost::any& value : *profiles) {
            const Dictionary* profile = asDict(value);
            if (!profile)
                continue;
            const Dictionary* base = dictAt(*profile, "baseinfo");
            auto item = std::make_unique<ProfileItem>();
            item->title = textAt(base, "title");
            item->id = textAt(base, "id");
            item->ext = textAt(base, "ext");
            item->category = category;
            item->icon = textAt(base, "icon");
            m_profiles.push_back(item.get());
            m_profileItems.push_back(std::move(item));
        }
    }
    return &m_profiles;
}

std::string CProfileManager::codecDisplayName(const std::string& code) const {
    if (code == kAuto || code.empty())
        return code;
    const std::string padded = code.size() == 3 ? code + " " : code;
    const Dictionary* codecs = dictAt(m_root, "Codecs");
    if (!codecs || codecs->find(padded) == codecs->end())
        return padded;
    const std::string* text = boost::any_cast<std::string>(&codecs->find(padded)->second);
    return text ? *text : padded;
}

const Dictionary* CProfileManager::findProfile(const std::string& category, const std::string& id) const {
    const Array* profiles = arrayAt(m_root, category);
    if (!profiles)
        return nullptr;
    for (const boost::any& value : *profiles) {
        const Dictionary* profile = asDict(value);
        if (profile && textAt(dictAt(*profile, "baseinfo"), "id") == id)
            return profile;
    }
    return nullptr;
}

std::string CProfileManager::getBaseInfoValue(const std::string& category, const std::string& id,
                                              const std::string& key) const {
    if (category.empty() || id.empty())
        return std::string();
    const Dictionary* profile = findProfile(category, id);
    return profile ? textAt(dictAt(*profile, "baseinfo"), key) : std::string();
}

ProfileDetail* CProfileManager::readProfileDetail(const std::string& category, const std::string& id,
                                                  std::string videoEncoder, std::string resolution,
                                                  std::string audioEncoder, std::string channels) {
    m_detail = std::make_unique<ProfileDetail>();
    if (category.empty() || id.empty())
        return nullptr;
    for (std::string* choice : {&videoEncoder, &resolution, &audioEncoder, &channels}) {
        if (*choice == kAuto)
            choice->clear();
    }
    ProfileDetail& detail = *m_detail;
    if (const Dictionary* profile = findProfile(category, id)) {
        const Dictionary* base = dictAt(*profile, "baseinfo");
        detail.ext = textAt(base, "ext");
        detail.hasAuto = textAt(base, "auto") == "1";
        std::string filter;
        fillVideo(*profile, detail, videoEncoder, resolution, filter);
        fillAudio(*profile, detail, filter, audioEncoder, channels);
    }
    detail.category = category;
    detail.id = id;
    return m_detail.get();
}

void CProfileManager::fillVideo(const Dictionary& profile, ProfileDetail& detail, std::string& videoEncoder,
                                std::string& resolution, std::string& filter) const {
    const Dictionary* encoders = dictAt(profile, "videoencoders");
    detail.audioOnly = !encoders || encoders->empty();
    if (detail.audioOnly)
        return;

    detail.videoEncoders = autoList(detail.hasAuto);
    splitList(textAt(encoders, "supports"), detail.videoEncoders);
    if (videoEncoder.empty())
        videoEncoder = trimBlanks(textAt(encoders, "default"));
    detail.videoEncoder = videoEncoder;
    filter = textAt(encoders, "filter");

    if (resolution.empty())
        resolution = textAt(dictAt(profile, "resolution"), "default");
    detail.resolution = resolution;

    // Each entry is one encoder at one size; the one matching the chosen size wins,
    // else the encoder's first.
    detail.resolutions = autoList(detail.hasAuto);
    const Dictionary* chosen = nullptr;
    if (const Array* params = arrayAt(profile, "videoparams")) {
        for (const boost::any& value : *params) {
            const Dictionary* entry = asDict(value);
            if (!entry || trimBlanks(textAt(entry, "fourcc")) != videoEncoder)
                continue;
            const std::string entryResolution = textAt(entry, "resolution");
            detail.resolutions.push_back(entryResolution);
            if (!chosen || entryResolution == resolution) {
                chosen = entry;
                detail.resolution = entryResolution;
            }
        }
    }
    if (!chosen)
        return;
    const Dictionary* bitrate = dictAt(*chosen, "videobitrate");
    detail.videoBitrateDefault = textAt(bitrate, "default") + " kbps";
    detail.videoBitrateLow = textAt(bitrate, "low") + " kbps";
    detail.videoBitrateHigh = textAt(bitrate, "high") + " kbps";
    detail.videoBitrates = autoList(detail.hasAuto);
    splitListWithUnit(textAt(bitrate, "supports"), " kbps", detail.videoBitrates);
    const Dictionary* frameRate = dictAt(*chosen, "framerate");
    detail.frameRateDefault = textAt(frameRate, "default") + " fps";
    detail.frameRates = autoList(detail.hasAuto);
    splitListWithUnit(textAt(frameRate, "supports"), " fps", detail.frameRates);
}

void CProfileManager::fillAudio(const Dictionary& profile, ProfileDetail& detail, const std::string& filter,
                                std::string& audioEncoder, std::string& channels) const {
    const Dictionary* encoders = dictAt(profile, "audioencoders");
    if (!filter.empty()) {
        // The audio encoders allowed with the chosen video encoder. The default comes
        // from "audioencoders" when it is one of them: leaving it empty would record
        // without sound.
        splitSection(filter, detail.videoEncoder, detail.audioEncoders);
        if (audioEncoder.empty()) {
            const std::string fallback = trimBlanks(textAt(encoders, "default"));
            if (contains(detail.audioEncoders, fallback) || detail.audioEncoders.empty())
                audioEncoder = fallback;
            else
                audioEncoder = trimBlanks(detail.audioEncoders.front());
        }
    } else {
        detail.audioEncoders = autoList(detail.hasAuto);
        splitList(textAt(encoders, "supports"), detail.audioEncoders);
        if (audioEncoder.empty())
            audioEncoder = trimBlanks(textAt(encoders, "default"));
    }
    detail.audioEncoder = audioEncoder;

    if (channels.empty())
        channels = textAt(dictAt(profile, "channels"), "default");
    detail.channels = channels;

    detail.channelList = autoList(detail.hasAuto);
    const Dictionary* chosen = nullptr;
    if (const Array* params = arrayAt(profile, "audioparams")) {
        for (const boost::any& value : *params) {
            const Dictionary* entry = asDict(value);
            if (!entry || trimBlanks(textAt(entry, "fourcc")) != audioEncoder)
                continue;
            const std::string entryChannel = textAt(entry, "channel");
            detail.channelList.push_back(entryChannel);
            if (!chosen || entryChannel == channels) {
                chosen = entry;
                detail.channels = entryChannel;
            }
        }
    }
    if (!chosen)
        return;
    const Dictionary* bitrate = dictAt(*chosen, "audiobitrate");
    const std::string bitrateDefault = textAt(bitrate, "default");
    const std::string low = textAt(bitrate, "low");
    const std::string high = textAt(bitrate, "high");
    detail.audioBitrateLow = (low.empty() ? bitrateDefault : low) + " kbps";
    detail.audioBitrateHigh = (high.empty() ? bitrateDefault : high) + " kbps";
    detail.audioBitrateDefault = bitrateDefault + " kbps";
    detail.audioBitrates = autoList(detail.hasAuto);
    splitListWithUnit(textAt(bitrate, "supports"), " kbps", detail.audioBitrates);
    const Dictionary* sampleRate = dictAt(*chosen, "samplerate");
    detail.sampleRateDefault = textAt(sampleRate, "default") + " HZ";
    detail.sampleRates = autoList(detail.hasAuto);
    splitListWithUnit(textAt(sampleRate, "supports"), " HZ", detail.sampleRates);
}
