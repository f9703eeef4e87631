#include "tags/tagitems.h"

#include "platform/system/utf8.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace calvorine::tags {

namespace {

const char* const kGenres[kGenreCount] = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "Alternative Rock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native US",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhytmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "Acapella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Drum & Bass",
    "Club-House",
    "Hardcore",
    "Terror",
    "Indie",
    "BritPop",
    "Negerpunk",
    "Polsk Punk",
    "Beat",
    "Christian Gangsta",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary C",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Thrash Metal",
    "Anime",
    "JPop",
    "SynthPop",
};

// Two-letter language key and the ISO 639-2 code written into ID3v2 frames.
struct Language {
    const char* key;
    const char* code;
};
const Language kLanguages[] = {
    {"aa", "aar"}, {"ab", "abk"}, {"af", "afr"}, {"sq", "alb"}, {"am", "amh"}, {"ar", "ara"}, {"hy", "arm"},
    {"as", "asm"}, {"ae", "ave"}, {"ay", "aym"}, {"az", "aze"}, {"ba", "bak"}, {"eu", "baq"}, {"be", "bel"},
    {"bn", "ben"}, {"bh", "bih"}, {"bi", "bis"}, {"bs", "bos"}, {"br", "bre"}, {"bg", "bul"}, {"my", "bur"},
    {"ca", "cat"}, {"ch", "cha"}, {"ce", "che"}, {"zh", "chi"}, {"cu", "chu"}, {"cv", "chv"}, {"kw", "cor"},
    {"co", "cos"}, {"cs", "cze"}, {"da", "dan"}, {"nl", "dut"}, {"dz", "dzo"}, {"en", "eng"}, {"eo", "epo"},
    {"et", "est"}, {"fo", "fao"}, {"fj", "fij"}, {"fi", "fin"}, {"fr", "fre"}, {"fy", "fry"}, {"ka", "geo"},
    {"de", "ger"}, {"gd", "gla"}, {"ga", "gle"}, {"gl", "glg"}, {"gv", "glv"}, {"el", "ell"}, {"gn", "grn"},
    {"gu", "guj"}, {"he", "heb"}, {"hz", "her"}, {"hi", "hin"}, {"ho", "hmo"}, {"hu", "hun"}, {"is", "ice"},
    {"iu", "iku"}, {"ie", "ile"}, {"ia", "ina"}, {"id", "ind"}, {"ik", "ipk"}, {"it", "ita"}, {"jv", "jav"},
    {"ja", "jpn"}, {"kl", "kal"}, {"kn", "kan"}, {"ks", "kas"}, {"kk", "kaz"}, {"km", "khm"}, {"ki", "kik"},
    {"rw", "kin"}, {"ky", "kir"}, {"kv", "kom"}, {"ko", "kor"}, {"kj", "kua"}, {"ku", "kur"}, {"lo", "lao"},
    {"la", "lat"}, {"lv", "lav"}, {"ln", "lin"}, {"lt", "lit"}, {"lb", "ltz"}, {"mk", "mac"}, {"mh", "mah"},
    {"ml", "mal"}, {"mi", "mao"}, {"mr", "mar"}, {"ms", "may"}, {"mg", "mlg"}, {"mt", "mlt"}, {"mo", "mol"},
    {"mn", "mon"}, {"na", "nau"}, {"nv", "nav"}, {"nr", "nbl"}, {"nd", "nde"}, {"ng", "ndo"}, {"ne", "nep"},
    {"no", "nor"}, {"nn", "nno"}, {"nb", "nob"}, {"ny", "nya"}, {"oc", "oci"}, {"or", "ori"}, {"om", "orm"},
    {"od", "osd"}, {"os", "oss"}, {"pa", "pan"}, {"fa", "per"}, {"pi", "pli"}, {"pl", "pol"}, {"pt", "por"},
    {"ps", "pus"}, {"qu", "que"}, {"", "qaa"},   {"rm", "roh"}, {"ro", "rum"}, {"rn", "run"}, {"ru", "rus"},
    {"sg", "sag"}, {"sa", "san"}, {"sr", "scc"}, {"hr", "scr"}, {"si", "sin"}, {"sk", "slo"}, {"sl", "slv"},
    {"se", "sme"}, {"sm", "smo"}, {"sn", "sna"}, {"sd", "snd"}, {"so", "som"}, {"st", "sot"}, {"es", "spa"},
    {"sc", "srd"}, {"ss", "ssw"}, {"su", "sun"}, {"sw", "swa"}, {"sv", "swe"}, {"ty", "tah"}, {"ta", "tam"},
    {"tt", "tat"}, {"te", "tel"}, {"tg", "tgk"}, {"tl", "tgl"}, {"th", "tha"}, {"bo", "tib"}, {"ti", "tir"},
    {"to", "ton"}, {"tn", "tsn"}, {"ts", "tso"}, {"tr", "tur"}, {"tk", "tuk"}, {"tw", "twi"}, {"ug", "uig"},
    {"uk", "ukr"}, {"ur", "urd"}, {"uz", "uzb"}, {"vi", "vie"}, {"vo", "vol"}, {"cy", "wel"}, {"wo", "wol"},
    {"xh", "xho"}, {"yi", "yid"}, {"yo", "yor"}, {"za", "zha"}, {"zu", "zul"},
};

// Windows-1252 0x80-0x9F; the five unassigned bytes map to the same code point.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

size_t textLength(const uint8_t* bytes, size_t length) {
    const void* zero = std::memchr(bytes, 0, length);
    return zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : length;
}

void appendCodePoint(std::u16string& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

} // namespace

// ---------------------------------------------------------------- conversions

std::u16string utf8ToUtf16(const uint8_t* bytes, size_t length) {
    std::u16string out;
    out.reserve(length);
    size_t i = 0;
    while (i < length) {
        const uint8_t b = bytes[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra = 0;
        uint32_t cp = 0;
        uint32_t minimum = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, minimum = 0x10000;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = i + static_cast<size_t>(extra) < length;
        for (int k = 1; ok && k <= extra; ++k) {
            const uint8_t c = bytes[i + static_cast<size_t>(k)];
            if ((c & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (c & 0x3F);
            }
        }
        if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        appendCodePoint(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string cp1252ToUtf16(const uint8_t* bytes, size_t length) {
    std::u16string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const uint8_t b = bytes[i];
        out.push_back((b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

std::string utf16ToCp1252(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(char(c));
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k) {
            if (kCp1252High[k] == c) {
                mapped = char(0x80 + k);
                break;
            }
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i; // one character, one question mark
        }
        out.push_back(mapped);
    }
    return out;
}

std::u16string utf16FromBytes(const uint8_t* bytes, size_t length, bool bigEndian) {
    std::u16string out;
    out.reserve(length / 2);
    for (size_t i = 0; i + 1 < length; i += 2) {
        const char16_t unit =
            bigEndian ? char16_t((bytes[i] << 8) | bytes[i + 1]) : char16_t(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        out.push_back(unit);
    }
    return out;
}

std::vector<uint8_t> utf16ToBytes(const std::u16string& text, bool bigEndian, bool withTerminator) {
    std::vector<uint8_t> out;
    out.reserve(text.size() * 2 + 2);
    for (char16_t unit : text) {
        bigEndian ? putBe16(out, unit) : putLe16(out, unit);
    }
    if (withTerminator) {
        out.push_back(0);
        out.push_back(0);
    }
    return out;
}

std::u16string decodeTagText(int code, const uint8_t* bytes, size_t length) {
    if (!bytes) {
        return {};
    }
    switch (code) {
    case TextDetect: {
        const size_t n = textLength(bytes, length);
        if (platform::isValidUtf8(reinterpret_cast<const char*>(bytes), n)) {
            return utf8ToUtf16(bytes, n);
        }
        return cp1252ToUtf16(bytes, n);
    }
    case TextAnsi:
        // Both the copyright-sign rule and the system code page are Windows-1252 here.
        return cp1252ToUtf16(bytes, textLength(bytes, length));
    case TextUtf8:
        return utf8ToUtf16(bytes, textLength(bytes, length));
    case TextUtf16Le:
        return utf16FromBytes(bytes, length, false);
    case TextUtf16Be:
        return utf16FromBytes(bytes, length, true);
    default:
        return {};
    }
}

std::vector<uint8_t> encodeTagText(const std::u16string& text, int code) {
    switch (code) {
    case TextAnsi: {
        const std::string ansi = utf16ToCp1252(text);
        return std::vector<uint8_t>(ansi.begin(), ansi.end());
    }
    case TextUtf8: {
        const std::string utf8 = utf16ToUtf8(text);
        return std::vector<uint8_t>(utf8.begin(), utf8.end());
    }
    case TextUtf16Le:
        return utf16ToBytes(text, false, false);
    case TextUtf16Be:
        return utf16ToBytes(text, true, false);
    default:
        return {};
    }
}

// ---------------------------------------------------------------- genres

const char* genreName(int index) {
    return (index >= 0 && index < kGenreCount) ? kGenres[index] : nullptr;
}

int genreIndexFromName(const std::u16string& name) {
    for (int i = 0; i < kGenreCount; ++i) {
        const char* entry = kGenres[i];
        const size_t n = std::strlen(entry);
        if (n != name.size()) {
            continue;
        }
        bool same = true;
        for (size_t k = 0; k < n && same; ++k) {
            same = asciiLower(name[k]) == asciiLower(char16_t(static_cast<unsigned char>(entry[k])));
        }
        if (same) {
            return i;
        }
    }
    return -1;
}

std::u16string parseGenreText(const std::u16string& text) {
    std::u16string out;
    auto insertName = [&out](const char* name) {
        if (!out.empty() && out.back() != u' ') {
            out.push_back(u' ');
        }
        for (const char* p = name; *p; ++p) {
            out.push_back(char16_t(static_cast<unsigned char>(*p)));
        }
        out.push_back(u' ');
    };
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char16_t c = text[i];
        if (c != u'(') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 < n && text[i + 1] == u'(') {
            out.push_back(u'(');
            i += 2;
            continue;
        }
        if (i + 3 < n && text[i + 3] == u')' &&
            ((text[i + 1] == u'R' && text[i + 2] == u'X') || (text[i + 1] == u'C' && text[i + 2] == u'R'))) {
            insertName(text[i + 1] == u'R' ? "Remix" : "Cover");
            i += 4;
            continue;
        }
        size_t k = i + 1;
        int index = 0;
        bool tooLarge = false;
        while (k < n && text[k] >= u'0' && text[k] <= u'9') {
            index = index * 10 + (text[k] - u'0');
            ++k;
            if (index > kGenreCount - 1) {
                tooLarge = true;
                break;
            }
        }
        if (!tooLarge && k < n && text[k] == u')') {
            insertName(kGenres[index]);
            i = k + 1;
            continue;
        }
        // Not a reference: what was read so far stays as it is.
        out.append(text, i, k - i);
        i = k;
    }
    if (!out.empty() && out.back() == u' ') {
        out.pop_back();
    }
    return out;
}

std::u16string genreTextToStore(const std::u16string& text) {
    if (parseGenreText(text) == text) {
        return text;
    }
    std::u16string escaped;
    for (const char16_t c : text) {
        escaped.push_back(c);
        if (c == u'(') {
            escaped.push_back(u'(');
        }
    }
    if (!escaped.empty() && escaped.back() == u' ') {
        escaped.push_back(u' ');
    }
    return parseGenreText(escaped) == text ? escaped : text;
}

// ---------------------------------------------------------------- language

const char* systemIso639Language() {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // The C locale speaks English.
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) {
        locale = "en";
    }
    std::string key;
    for (char c : locale) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) || key.size() == 3) {
            break;
        }
        key.push_back(char(c | 0x20));
    }
    if (key.size() != 2) {
        key.clear();
    }
    for (const Language& language : kLanguages) {
        if (key == language.key) {
            return language.code;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------- images

ImageKind imageKindOf(const uint8_t* data, size_t length) {
    if (!data || length < 4) {
        return ImageKind::None;
    }
    if ((data[0] == 0x89 || data[0] == 0x8A) &&
        ((data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') ||
         (data[0] == 0x8A && data[1] == 'M' && data[2] == 'N' && data[3] == 'G'))) {
        return ImageKind::Png;
    }
    if (data[0] == 0xFF && data[1] == 0xD8) {
        return ImageKind::Jpeg;
    }
    if (data[0] == 'G' && data[1] == 'I' && data[2] == 'F') {
        return ImageKind::Gif;
    }
    if (data[0] == 'B' && data[1] == 'M') {
        return ImageKind::Bmp;
    }
    return ImageKind::None;
}

bool isKeptPicture(const TagItem& item, const std::vector<uint8_t>& kept) {
    return item.field == FieldPicture && item.data && !kept.empty() && item.length == static_cast<int>(kept.size()) &&
           imageKindOf(item.data, kept.size()) == ImageKind::None &&
           std::memcmp(item.data, kept.data(), kept.size()) == 0;
}

const char* imageMimeType(ImageKind kind) {
    switch (kind) {
    case ImageKind::Png:
        return "image/png";
    case ImageKind::Gif:
        return "image/gif";
    case ImageKind::Bmp:
        return "image/bmp";
    default:
        return "image/jpeg";
    }
}

// ---------------------------------------------------------------- item list

int TagItemList::makeItem(Item& item, int slot, int field, int type, int length, const void* data) {
    if (length <= 0 || !data) {
        return -1;
    }
    item.slot = slot;
    item.field = field;
    item.type = type;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (field == FieldGenre && type == TagValueText) {
        const std::u16string genre = parseGenreText(utf16FromBytes(bytes, static_cast<size_t>(length), false));
        item.data = utf16ToBytes(genre, false, false);
    } else {
        item.data.assign(bytes, bytes + length);
    }
    item.length = static_cast<int>(item.data.size());
    item.data.insert(item.data.end(), 3, 0);
    if (type == TagValueText) {
        size_t units = 0;
        while (units * 2 + 1 < item.data.size() && (item.data[units * 2] || item.data[units * 2 + 1])) {
            ++units;
        }
        item.length = static_cast<int>(units * 2);
    }
    return 0;
}

int TagItemList::addItem(int slot, int field, int type, int length, const void* data) {
    Item item;
    if (makeItem(item, slot, field, type, length, data) != 0) {
        return -1;
    }
    items_.push_back(std::move(item));
    return 0;
}

int TagItemList::setItem(int index, int slot, int field, int type, int length, const void* data) {
    if (index < 0 || index >= count()) {
        return -1;
    }
    Item item;
    if (makeItem(item, slot, field, type, length, data) != 0) {
        return -1;
    }
    items_[static_cast<size_t>(index)] = std::move(item);
    return 0;
}

TagItem TagItemList::getItem(int index) const {
    TagItem result;
    if (index < 0 || index >= count()) {
        return result;
    }
    const Item& item = items_[static_cast<size_t>(index)];
    result.slot = item.slot;
    result.field = item.field;
    result.type = item.type;
    result.length = item.length;
    result.data = item.data.data();
    return result;
}

int TagItemList::removeAt(int index) {
    if (index < 0 || index >= count()) {
        return -1;
    }
    items_.erase(items_.begin() + index);
    return 0;
}

int TagItemList::addUtf16(int slot, int field, const std::u16string& text) {
    const std::vector<uint8_t> bytes = utf16ToBytes(text, false, false);
    return addItem(slot, field, TagValueText, static_cast<int>(bytes.size()), bytes.data());
}

int TagItemList::addText(int code, int slot, int field, const uint8_t* bytes, size_t length) {
    if (!bytes || code < TextDetect || code > TextUtf16Be) {
        return -1;
    }
    return addUtf16(slot, field, decodeTagText(code, bytes, length));
}

int TagItemList::addBinary(int slot, int field, int length, const void* data) {
    return addItem(slot, field, TagValueBinary, length, data);
}

int TagItemList::addGenreByIndex(int index, int slot) {
    const char* name = genreName(index);
    if (!name) {
        return -1;
    }
    return addText(TextAnsi, slot, FieldGenre, reinterpret_cast<const uint8_t*>(name), std::strlen(name));
}

int TagItemList::addNumber(int slot, int number) {
    const std::string text = std::to_string(number);
    return addText(TextAnsi, slot, FieldTrack, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

int TagItemList::addTrackOfTotal(int number, int total) {
    const std::string text = std::to_string(number) + "/" + std::to_string(total);
    return addText(TextAnsi, SlotMp4, FieldTrack, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::u16string TagItemList::text(int index) const {
    if (index < 0 || index >= count() || items_[static_cast<size_t>(index)].type != TagValueText) {
        return {};
    }
    const Item& item = items_[static_cast<size_t>(index)];
    return utf16FromBytes(item.data.data(), static_cast<size_t>(item.length), false);
}

std::u16string TagItemList::storedText(int index) const {
    const bool genre = index >= 0 && index < count() && items_[static_cast<size_t>(index)].field == FieldGenre;
    return genre ? genreTextToStore(text(index)) : text(index);
}

void TagItemList::reduceImpl(bool (*allowed)(int field, const void* context), const void* context,
                             const std::vector<uint8_t>* keptPicture) {
    std::vector<Item> kept;
    bool seen[64] = {};
    for (Item& item : items_) {
        if (item.field < 0 || item.field >= 64 || !allowed(item.field, context) || item.length == 0) {
            continue;
        }
        if (item.field == FieldPicture &&
            imageKindOf(item.data.data(), static_cast<size_t>(item.length)) == ImageKind::None &&
            !(keptPicture && item.length == static_cast<int>(keptPicture->size()) &&
              std::equal(keptPicture->begin(), keptPicture->end(), item.data.begin()))) {
            continue;
        }
        if (seen[item.field]) {
            continue;
        }
        seen[item.field] = true;
        kept.push_back(std::move(item));
    }
    items_.swap(kept);
}

} // namespace calvorine::tags
