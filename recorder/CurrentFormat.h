// The current output format of each recording mode: what the recorder encodes with.
//
// Two settings records (AppGlobals' g_storedVideoFormat and g_storedAudioFormat) and two
// name records, filled from the settings file ("FormatSet"), the format-setting file
// (the preset in "QUALITY_VALUE" and the profile's custom record) and the profile
// catalogue. The format chooser's static operations (QFormatDlg::resetFormat,
// loadCurrentFormat, saveDefaultFormat, buildFormatSetting, fillFormatSetting) are
// these functions. GUI thread only; no lock guards the records.
#pragma once

#include <QString>

#include <functional>

struct FormatSetting;
struct OutputFormatSetting;
struct ProfileDetail;
class CProfileManager;

// Category, profile id (decimal text) and the profile's title of one mode's format.
struct OutputFormatName {
    QString category;
    QString id;
    QString title;
};

// Quality presets of the chooser (and the values of readQualityMode).
enum FormatQualityMode { QualitySmallSize = 0, QualityHigh = 1, QualityCustomized = 2 };

// Creates the two settings records and the two name records (empty texts); the main
// window calls it once at start-up. freeFormatNameGlobals deletes them at shutdown and
// clears the settings record pointers, the current one included.
void initFormatNameGlobals();
void freeFormatNameGlobals();

// The name record of a mode; null before initFormatNameGlobals.
OutputFormatName* videoFormatName();
OutputFormatName* audioFormatName();

// The process-wide catalogue read from the application folder's
// "/profile/profiles_win.plist". When that file could not be read, the catalogue is
// empty and the user is told once (see setFormatCatalogueProblemHandler).
CProfileManager* formatCatalogue();

// Who tells the user that the catalogue could not be read; by default a warning box of
// the toolkit. Tests put their own here.
void setFormatCatalogueProblemHandler(std::function<void(const QString& message)> handler);

// The stored preset of a profile: "QUALITY_VALUE" empty or "0" is high quality, "1"
// small size, anything else customized.
int readQualityMode(const QString& id);

// Loads both modes (video first).
void resetFormat();
// Loads one mode's records from the stored choice.
void loadCurrentFormat(bool video);
// Puts a mode that is not on its default profile ("General Video"/"4000",
// "General Audio"/"5000") back on it, at small size, and reloads it. False when any of
// it could not be saved (the mode then loads what the files still hold).
bool saveDefaultFormat();

// Resolves the profile for the preset and fills `target`; a customized preset without a
// custom record counts as high quality. Nothing happens for a null target.
void buildFormatSetting(const QString& category, const QString& id, int mode, OutputFormatSetting* target);
// The value rules: `custom` is the profile's custom record in the customized preset and
// null otherwise. Nothing happens for a null detail or target.
void fillFormatSetting(const ProfileDetail* detail, int mode, const FormatSetting* custom, OutputFormatSetting* target);

// Readers of the catalogue's value texts: the number before the unit mark ("*", "f",
// "%", "k", "H"); 0 when the mark is missing or the text is no number.
void parseResolution(const QString& text, int* width, int* height);
double parseFrameRate(const QString& text);
int parsePercent(const QString& text);
int parseKilo(const QString& text);
int parseHertz(const QString& text);
