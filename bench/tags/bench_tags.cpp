// Tag rewriting speed beside TagLib: for each format, 500 copies of a two-second file
// get thirteen text fields and a cover (first round: into ffmpeg's fresh files), then
// are read and rewritten with changed values (second round). Usage: bench_tags [dir
// [formats]] (default: a new folder under /tmp, every format; formats: e.g. "ogg,ape").
// Needs ffmpeg on the path.
#include "tags/audiotagfile.h"

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace calvorine::tags;

namespace {

constexpr int kFiles = 500;

std::vector<char> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool makeFixture(const fs::path& path, const std::string& format) {
    if (format == "ape") {
        // Monkey's Audio 3.99: descriptor, header, then frame bytes.
        std::vector<char> bytes(52 + 24 + 4096, 0);
        std::memcpy(bytes.data(), "MAC ", 4);
        const uint16_t version = 3990;
        std::memcpy(bytes.data() + 4, &version, 2);
        const uint32_t descriptor[] = {52, 24, 0, 0, 4096, 0, 0};
        std::memcpy(bytes.data() + 8, descriptor, sizeof descriptor);
        const uint16_t header1[] = {2000, 0};
        const uint32_t header2[] = {73728, 1000, 1};
        const uint16_t header3[] = {16, 2};
        const uint32_t rate = 44100;
        std::memcpy(bytes.data() + 52, header1, 4);
        std::memcpy(bytes.data() + 56, header2, 12);
        std::memcpy(bytes.data() + 68, header3, 4);
        std::memcpy(bytes.data() + 72, &rate, 4);
        writeAll(path, bytes);
        return true;
    }
    std::string codec = format == "ogg" ? " -c:a libvorbis" : (format == "mp3" ? " -c:a libmp3lame" : "");
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i sine=duration=2 -ac 2" + codec + " '" + path.string() + "'";
    return std::system(command.c_str()) == 0;
}

struct Fields {
    std::u16string text[14];
};

Fields fieldsFor(int round) {
    Fields f;
    const std::u16string tag = round == 0 ? u"first" : u"second";
    f.text[FieldTitle] = u"Title " + tag;
    f.text[FieldArtist] = u"Artist " + tag;
    f.text[FieldAlbum] = u"Album " + tag;
    f.text[FieldGenre] = u"Rock";
    f.text[FieldYear] = u"2024";
    f.text[FieldTrack] = u"3/12";
    f.text[FieldComment] = u"Comment " + tag;
    f.text[FieldCopyright] = u"Copyright " + tag;
    f.text[FieldLyrics] = u"Some lyrics " + tag;
    f.text[FieldAlbumArtist] = u"Album artist " + tag;
    f.text[FieldComposer] = u"Composer " + tag;
    f.text[FieldGrouping] = u"Grouping " + tag;
    f.text[FieldDisc] = u"1/2";
    return f;
}

std::vector<char> makeCover() {
    std::vector<char> cover = {'\xFF', '\xD8', '\xFF', '\xE0'};
    for (int i = 0; i < 6000; ++i) {
        cover.push_back(char(i * 31));
    }
    return cover;
}

int oursOne(const fs::path& path, const Fields& fields, const std::vector<char>& cover) {
    IAudioTagFile* file = createAudioTagFile();
    const std::string name = path.string();
    const std::u16string wide(name.begin(), name.end());
    int items = -1;
    if (file->open(wide.c_str()) == 0) {
        items = file->itemCount();
        for (int i = 0; i < items; ++i) {
            file->getItem(i);
        }
        file->clearAll();
        for (int field = 0; field <= FieldDisc; ++field) {
            if (field == FieldPicture) {
                file->addItem(-1, field, TagValueBinary, static_cast<int>(cover.size()), cover.data());
            } else {
                file->addItem(-1, field, TagValueText, static_cast<int>(fields.text[field].size() * 2),
                              fields.text[field].data());
            }
        }
        file->save();
        file->close();
    }
    releaseAudioTagFile(file);
    return items;
}

TagLib::String toTagLib(const std::u16string& text) {
    TagLib::ByteVector bytes(reinterpret_cast<const char*>(text.data()), static_cast<unsigned>(text.size() * 2));
    return TagLib::String(bytes, TagLib::String::UTF16LE);
}

int taglibOne(const fs::path& path, const std::string& format, const Fields& fields, const std::vector<char>& cover) {
    TagLib::FileRef ref(path.c_str(), false);
    if (ref.isNull()) {
        return -1;
    }
    TagLib::PropertyMap properties = ref.file()->properties();
    const int items = static_cast<int>(properties.size());
    const char* const keys[14] = {"TITLE",       "ARTIST",   "ALBUM",     "GENRE",     "DATE",
                                  "TRACKNUMBER", "COMMENT",  "COPYRIGHT", "LYRICS",    nullptr,
                                  "ALBUMARTIST", "COMPOSER", "GROUPING",  "DISCNUMBER"};
    properties.clear();
    for (int field = 0; field < 14; ++field) {
        if (keys[field]) {
            properties.replace(keys[field], TagLib::StringList(toTagLib(fields.text[field])));
        }
    }
    ref.file()->setProperties(properties);
    const TagLib::ByteVector image(cover.data(), static_cast<unsigned>(cover.size()));
    TagLib::File* file = ref.file();
    if (format == "mp3" || format == "aac") {
        if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
            auto* id3 = mpeg->ID3v2Tag(true);
            id3->removeFrames("APIC");
            auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
            frame->setMimeType("image/jpeg");
            frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
            frame->setPicture(image);
            id3->addFrame(frame);
        }
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        flac->removePictures();
        auto* picture = new TagLib::FLAC::Picture;
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/jpeg");
        picture->setData(image);
        flac->addPicture(picture);
    } else if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
        vorbis->tag()->removeAllPictures();
        auto* picture = new TagLib::FLAC::Picture;
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/jpeg");
        picture->setData(image);
        vorbis->tag()->addPicture(picture);
    } else if (auto* m4a = dynamic_cast<TagLib::MP4::File*>(file)) {
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, image));
        m4a->tag()->setItem("covr", covers);
    } else if (auto* wma = dynamic_cast<TagLib::ASF::File*>(file)) {
        TagLib::ASF::Picture picture;
        picture.setMimeType("image/jpeg");
        picture.setType(TagLib::ASF::Picture::FrontCover);
        picture.setPicture(image);
        wma->tag()->setAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
    } else if (auto* ape = dynamic_cast<TagLib::APE::File*>(file)) {
        TagLib::ByteVector value("cover.jpg", 10);
        value.append(image);
        ape->APETag(true)->setData("Cover Art (Front)", value);
    }
    ref.save();
    return items;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const fs::path root = argc > 1 ? fs::path(argv[1]) / "bench-tags" : fs::temp_directory_path() / "bench-tags";
    fs::remove_all(root);
    fs::create_directories(root);
    const std::vector<char> cover = makeCover();
    std::printf("%d files per format. Round 1 writes into ffmpeg's fresh files (they grow: ours rewrites each\n"
                "file beside itself and syncs it to disk before the rename); round 2 reads and rewrites them.\n",
                kFiles);
    std::printf("%-5s %10s %10s %10s %10s %10s %10s %8s\n", "format", "ours 1", "TagLib 1", "ours 2", "TagLib 2",
                "ours s", "TagLib s", "ratio");
    double oursTotal = 0;
    double theirsTotal = 0;
    const std::string only = argc > 2 ? "," + std::string(argv[2]) + "," : std::string();
    for (const std::string format : {"mp3", "aac", "wav", "wma", "m4a", "ogg", "ape", "flac"}) {
        if (!only.empty() && only.find("," + format + ",") == std::string::npos) {
            continue;
        }
        const fs::path fixture = root / ("fixture." + format);
        if (!makeFixture(fixture, format)) {
            std::printf("%-5s fixture could not be made\n", format.c_str());
            continue;
        }
        const std::vector<char> bytes = readAll(fixture);
        std::vector<fs::path> ours;
        std::vector<fs::path> theirs;
        for (int i = 0; i < kFiles; ++i) {
            ours.push_back(root / ("ours" + std::to_string(i) + "." + format));
            theirs.push_back(root / ("taglib" + std::to_string(i) + "." + format));
            writeAll(ours.back(), bytes);
            writeAll(theirs.back(), bytes);
        }
        double oursSeconds = 0;
        double theirsSeconds = 0;
        int theirFailures = 0;
        double oursRound[2] = {};
        double theirsRound[2] = {};
        for (int round = 0; round < 2; ++round) {
            const Fields fields = fieldsFor(round);
            auto start = std::chrono::steady_clock::now();
            for (const fs::path& path : ours) {
                oursOne(path, fields, cover);
            }
            oursRound[round] = secondsSince(start);
            oursSeconds += oursRound[round];
            start = std::chrono::steady_clock::now();
            for (const fs::path& path : theirs) {
                theirFailures += taglibOne(path, format, fields, cover) < 0 ? 1 : 0;
            }
            theirsRound[round] = secondsSince(start);
            theirsSeconds += theirsRound[round];
        }
        std::printf("%-5s %10.3f %10.3f %10.3f %10.3f %10.3f %10.3f %8.2f\n", format.c_str(), oursRound[0],
                    theirsRound[0], oursRound[1], theirsRound[1], oursSeconds, theirsSeconds,
                    theirsSeconds > 0 ? oursSeconds / theirsSeconds : 0.0);
        if (theirFailures > 0) {
            std::printf("      (TagLib could not open %d of %d of these files: its times are of failing)\n",
                        theirFailures / 2, kFiles);
        }
        oursTotal += oursSeconds;
        theirsTotal += theirsSeconds;
        for (int i = 0; i < kFiles; ++i) {
            fs::remove(ours[static_cast<size_t>(i)]);
            fs::remove(theirs[static_cast<size_t>(i)]);
        }
    }
    std::printf("%-5s %54s %10.3f %10.3f %8.2f   (ratio: ours / TagLib; below 1 is faster)\n", "all", "", oursTotal,
                theirsTotal, theirsTotal > 0 ? oursTotal / theirsTotal : 0.0);
    fs::remove_all(root);
    return 0;
}
