// Names of codecs and containers as the profiles and media information give them,
// translated into what the codec library takes; and two look-ups of a file's cover and
// duration. Free functions, no state: any thread, except the two file look-ups, which
// use a media-information handle of their own and may run on any one thread at a time
// per call.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>

// The codec code for a codec name ("H264" -> 28, "AAC" -> 0x15002); 0 for a name not in
// the table. Exact, case-sensitive. Audio codes lie from 0x10000 to 0x1FFFF, video codes
// below them or, for a few, are four characters themselves ("H265" -> 0x48323635).
int32_t codecFourccFromName(const std::string& name);

// The container (muxer) name for a format or extension name ("mkv" -> "matroska");
// names not in the table come back unchanged.
std::string containerNameFromFormat(const std::string& name);

// 23.976-, 29.97- and 59.94-like rates become 24000/1001, 30000/1001, 60000/1001; any
// other rate trunc(fps + 0.01)/1.
void frameRateToRational(double fps, int* num, int* den);

// The container of a file from its demuxer's format list and brand: the MP4 family and
// Matroska/WebM are told apart by brand; other lists come back unchanged.
std::string containerFromExtensionList(const std::string& formatList, const std::string& brand);

// The file's cover picture, else a picture decoded from it; a null image when there is
// none or the file cannot be opened.
QImage readCoverImage(const QString& path);

// The file's duration as "hh:mm:ss" (hours may have more digits); empty when the file
// cannot be opened.
QString readDurationText(const QString& path);

// The container name of a file as the history stores it ("mp4", "matroska", "mp3"...),
// from its demuxer's format list and brand; empty when the file cannot be opened.
QString readContainerFormat(const QString& path);
