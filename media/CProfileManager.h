// The catalogue of output formats, read once from "/profile/profiles_win.plist".
//
// Root of the file: "Categories" (category names in display order), "Codecs" (codec id
// -> display text) and one array of profile dictionaries per category. A profile has
// "baseinfo" (title, id, ext, icon, auto), optional "videoencoders", "resolution",
// "videoparams", "audioencoders", "channels", "audioparams" and an optional "filter".
//
// All texts are UTF-8 byte strings as stored. GUI thread only. A file that is missing or
// cannot be read leaves the catalogue empty; nothing of it throws once it exists.
#pragma once

#include "media/PlistReader.h"

#include <memory>
#include <string>
#include <vector>

struct ProfileItem {
    std::string title;
    std::string id;
    std::string ext;
    std::string category;
    std::string icon;
};

// One profile's choices for the chooser and the encoder. Numbers keep their unit text
// (" fps", " kbps", " HZ"); "Auto" stands for "the encoder decides".
struct ProfileDetail {
    bool audioOnly = false;
    std::vector<std::string> videoEncoders;
    std::vector<std::string> resolutions;
    std::vector<std::string> frameRates;
    std::vector<std::string> videoBitrates;
    std::vector<std::string> audioEncoders;
    std::vector<std::string> channelList;
    std::vector<std::string> sampleRates;
    std::vector<std::string> audioBitrates;
    std::string ext;
    std::string category;
    std::string id;
    std::string videoEncoder;
    std::string resolution;
    std::string videoBitrateLow;
    std::string videoBitrateHigh;
    std::string videoBitrateDefault;
    std::string frameRateDefault;
    std::string audioEncoder;
    std::string channels;
    std::string audioBitrateLow;
    std::string audioBitrateHigh;
    std::string audioBitrateDefault;
    std::string sampleRateDefault;
    bool hasAuto = false;
};

class CProfileManager {
public:
    // The process-wide catalogue, read from `path` (UTF-8) on the first call; later calls
    // ignore `path`. Never destroyed. Never throws: a file that cannot be read gives an
    // empty catalogue and loadError() says why.
    static CProfileManager* instance(const std::string& path);

    // A catalogue of its own over one file (tests; the program uses instance()).
    explicit CProfileManager(const std::string& path);
    ~CProfileManager();
    CProfileManager(const CProfileManager&) = delete;
    CProfileManager& operator=(const CProfileManager&) = delete;

    // Why the file could not be used (empty when it was read, or when no path was
    // given). takeLoadError() returns it once and then the empty text, so that whoever
    // shows it to the user does so only once.
    const std::string& loadError() const { return m_loadError; }
    std::string takeLoadError();

    std::vector<std::string> categories();

    // The profiles of a category, in file order; valid until the next call, which
    // frees this list. An empty category gives null and keeps the previous list.
    std::vector<ProfileItem*>* profilesOf(const std::string& category);

    // Display text of a codec id; "Auto" and unknown ids come back (a 3-character id
    // padded with one blank to four).
    std::string codecDisplayName(const std::string& code) const;

    // "baseinfo"/key of the first profile of the category with that id; empty when
    // there is none.
    std::string getBaseInfoValue(const std::string& category, const std::string& id, const std::string& key) const;

    // The profile's choices. videoEncoder, resolution, audioEncoder and channels are the
    // caller's current choices; empty or "Auto" take the profile's defaults. The record
    // stays valid until the next call. Null when category or id is empty.
    ProfileDetail* readProfileDetail(const std::string& category, const std::string& id, std::string videoEncoder,
                                     std::string resolution, std::string audioEncoder, std::string channels);

private:
    void load();
    const Plist::Dictionary* findProfile(const std::string& category, const std::string& id) const;
    void fillVideo(const Plist::Dictionary& profile, ProfileDetail& detail, std::string& videoEncoder,
                   std::string& resolution, std::string& filter) const;
    void fillAudio(const Plist::Dictionary& profile, ProfileDetail& detail, const std::string& filter,
                   std::string& audioEncoder, std::string& channels) const;

    std::string m_path;
    std::vector<std::unique_ptr<ProfileItem>> m_profileItems;
    std::vector<ProfileItem*> m_profiles;
    std::unique_ptr<ProfileDetail> m_detail;
    std::vector<std::string> m_categories;
    Plist::Dictionary m_root;
    std::string m_loadError;
};

// The string under `key` (an empty key means "supports"); empty when the dictionary or
// the key is missing. A value of another type throws boost::bad_any_cast.
std::string dictString(const Plist::Dictionary& dict, const std::string& key);

// Cuts `text` at "," into trimmed, non-empty pieces appended to `list`; "0" becomes
// "Auto".
void splitList(const std::string& text, std::vector<std::string>& list);
// The same, with `unit` appended to every piece but "Auto".
void splitListWithUnit(const std::string& text, const std::string& unit, std::vector<std::string>& list);
// The list after `name` and one separator character in a "name:a,b|name2:c" text.
void splitSection(const std::string& text, const std::string& name, std::vector<std::string>& list);
// Strips leading and trailing blanks (" " only).
std::string trimBlanks(const std::string& text);
