// Reads property lists, XML or binary ("bplist00"), into a tree of boost::any values.
//
// A value holds exactly one of: std::string (bytes as stored), double, int64_t, bool,
// PlistDate, Plist::Data (the bytes), Plist::Array, Plist::Dictionary. Take values out
// with boost::any_cast to the exact type; nothing is converted between types.
//
// Every failure throws std::runtime_error with a message saying what was wrong (a root
// that is not a dictionary gives boost::bad_any_cast). After a throw the output
// dictionary must not be used. The reader keeps no state between calls: any thread.
// It never writes property lists.
#pragma once

#include "media/PlistDate.h"

#include <boost/any.hpp>

#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <vector>

namespace Plist {

using Data = std::vector<char>;
using Array = std::vector<boost::any>;
// Ordered by key; of two equal keys the later value wins.
using Dictionary = std::map<std::string, boost::any>;

// The file's root dictionary replaces dict's contents. fileName is UTF-8; an empty name
// or one that is not valid UTF-8 returns at once and leaves dict unchanged.
void readPlist(const std::string& fileName, Dictionary& dict);

// Everything from the stream's current position to its end.
void readPlist(std::istream& stream, Dictionary& dict);

// size bytes at data.
void readPlist(const char* data, int64_t size, Dictionary& dict);

// Address of the first byte; throws for an empty vector.
const char* vecData(const std::vector<char>& bytes);

} // namespace Plist
