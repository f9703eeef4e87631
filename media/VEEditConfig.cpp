#include "media/VEEditConfig.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T, size_t N> bool sameArray(const T (&a)[N], const T (&b)[N]) {
    return std::equal(a, a + N, b);
}

// The font, its look and its place that text watermarks and subtitles share.
template <typename Text> void resetFontStyle(Text& t, int32_t fontSize) {
    t.alpha = 255;
    t.scaleHorizontal = 100;
    t.scaleVertical = 100;
    t.fontName.clear();
    t.fontSize = fontSize;
    t.bold = t.italic = t.underline = t.strikeout = 0;
    t.fontColour = -1;
    t.shadowColour = int32_t(0x80000000);
    t.outlineColour = int32_t(0xff000000);
    t.shadowOffset = 0.5;
    t.outlineSize = 1.0;
    t.spacingHorizontal = t.spacingVertical = 0.0;
}

template <typename Text> bool sameFontStyle(const Text& t, const Text& o) {
    return t.alpha == o.alpha && t.scaleHorizontal == o.scaleHorizontal && t.scaleVertical == o.scaleVertical &&
           t.fontName == o.fontName && t.fontSize == o.fontSize && t.bold == o.bold && t.italic == o.italic &&
           t.underline == o.underline && t.strikeout == o.strikeout && t.fontColour == o.fontColour &&
           t.shadowColour == o.shadowColour && t.outlineColour == o.outlineColour && t.shadowOffset == o.shadowOffset &&
           t.outlineSize == o.outlineSize && t.spacingHorizontal == o.spacingHorizontal &&
           t.spacingVertical == o.spacingVertical;
}

} // namespace

bool VECropSettings::operator==(const VECropSettings& o) const {
    return aspectMode == o.aspectMode && cropMode == o.cropMode && ratioWidth == o.ratioWidth &&
           ratioHeight == o.ratioHeight && sameArray(carried, o.carried) && rotation == o.rotation &&
           mirrored == o.mirrored && padEnabled == o.padEnabled && padColour == o.padColour &&
           sameArray(pictureRect, o.pictureRect) && sameArray(cropRect, o.cropRect);
}

bool VEAdjustSettings::operator==(const VEAdjustSettings& o) const {
    return brightness == o.brightness && second == o.second && saturation == o.saturation && contrast == o.contrast &&
           hue == o.hue;
}

void VEWatermarkText::reset() {
    text.clear();
    resetFontStyle(*this, 28);
    value = 0;
    x = 0.0;
    y = 0.0;
    shown = 1;
    textSelected = 1;
    rangeStart = rangeEnd = 0;
    leading[0] = leading[1] = 0.0;
    fittedWidth = fittedHeight = 0.0;
    trailing[0] = trailing[1] = 0.0;
}

bool VEWatermarkText::operator==(const VEWatermarkText& o) const {
    return sameFontStyle(*this, o) && text == o.text && value == o.value && x == o.x && y == o.y && shown == o.shown &&
           textSelected == o.textSelected && rangeStart == o.rangeStart && rangeEnd == o.rangeEnd &&
           sameArray(leading, o.leading) && fittedWidth == o.fittedWidth && fittedHeight == o.fittedHeight &&
           sameArray(trailing, o.trailing);
}

void VEWatermarkImage::reset() {
    imagePath.clear();
    kind = 1;
    second = 0;
    alpha = 255;
    scaleHorizontal = 100;
    scaleVertical = 100;
    x = 0.0;
    y = 0.0;
    shown = 1;
    secondImagePath.clear();
    values[0] = values[1] = values[2] = 0;
    percents[0] = percents[1] = 100;
    listIndex = 0;
    instanceFlag = 0;
    rangeStart = rangeEnd = 0;
    std::fill(moreValues, moreValues + 4, 0);
    rect[0] = rect[1] = 0.0;
    rect[2] = rect[3] = 1.0;
    pair[0] = pair[1] = 0.0;
    fittedWidth = fittedHeight = 0.0;
}

bool VEWatermarkImage::operator==(const VEWatermarkImage& o) const {
    return imagePath == o.imagePath && kind == o.kind && second == o.second && alpha == o.alpha &&
           scaleHorizontal == o.scaleHorizontal && scaleVertical == o.scaleVertical && x == o.x && y == o.y &&
           shown == o.shown && secondImagePath == o.secondImagePath && sameArray(values, o.values) &&
           sameArray(percents, o.percents) && listIndex == o.listIndex && instanceFlag == o.instanceFlag &&
           rangeStart == o.rangeStart && rangeEnd == o.rangeEnd && sameArray(moreValues, o.moreValues) &&
           sameArray(rect, o.rect) && sameArray(pair, o.pair) && fittedWidth == o.fittedWidth &&
           fittedHeight == o.fittedHeight;
}

bool VEWatermarkSettings::operator==(const VEWatermarkSettings& o) const {
    return text == o.text && image == o.image && sameArray(carried, o.carried);
}

bool VESubtitleTrack::operator==(const VESubtitleTrack& o) const {
    return first == o.first && audioTrack == o.audioTrack && subtitleChoice == o.subtitleChoice && fourth == o.fourth &&
           data == o.data;
}

void VETextStyle::reset() {
    resetFontStyle(*this, 18);
    values[0] = values[1] = 0;
    positionCode = 0;
    first = 0.05;
    margin = 0.05;
    carried[0] = carried[1] = 0.0;
}

bool VETextStyle::operator==(const VETextStyle& o) const {
    return sameFontStyle(*this, o) && sameArray(values, o.values) && positionCode == o.positionCode &&
           first == o.first && margin == o.margin && sameArray(carried, o.carried);
}

bool VEAudioSettings::operator==(const VEAudioSettings& o) const {
    return backgroundPath == o.backgroundPath && value == o.value && repeat == o.repeat && volume == o.volume &&
           weight == o.weight && firstRangeStart == o.firstRangeStart && firstRangeEnd == o.firstRangeEnd &&
           secondRangeStart == o.secondRangeStart && secondRangeEnd == o.secondRangeEnd;
}

VEDoubleArrays::VEDoubleArrays(const VEDoubleArrays& other) {
    assign(other.frequencies, other.gains, other.count);
}

VEDoubleArrays& VEDoubleArrays::operator=(const VEDoubleArrays& other) {
    if (this != &other)
        assign(other.frequencies, other.gains, other.count);
    return *this;
}

VEDoubleArrays::~VEDoubleArrays() {
    clear();
}

void VEDoubleArrays::clear() {
    delete[] frequencies;
    delete[] gains;
    frequencies = nullptr;
    gains = nullptr;
    count = 0;
}

void VEDoubleArrays::assign(const double* newFrequencies, const double* newGains, int newCount) {
    // Copy first: the source may be this record's own arrays.
    const int size = std::max(0, newCount);
    auto* frequencyCopy = new double[size_t(size)];
    auto* gainCopy = new double[size_t(size)];
    for (int i = 0; i < size; ++i) {
        frequencyCopy[i] = newFrequencies ? newFrequencies[i] : 0.0;
        gainCopy[i] = newGains ? newGains[i] : 0.0;
    }
    clear();
    frequencies = frequencyCopy;
    gains = gainCopy;
    count = size;
}

bool VEDoubleArrays::operator==(const VEDoubleArrays& o) const {
    if (count != o.count)
        return false;
    for (int i = 0; i < count; ++i) {
        if (frequencies[i] != o.frequencies[i] || gains[i] != o.gains[i])
            return false;
    }
    return true;
}

bool VEAudioEffect::operator==(const VEAudioEffect& o) const {
    return volume == o.volume && value == o.value && rate == o.rate && curves == o.curves &&
           effectIndex == o.effectIndex;
}

void VEAudioTagInfo::clear() {
    for (std::string* field : {&title, &artist, &album_artist, &composer, &album, &genre, &track, &year, &date,
                               &grouping, &comment, &disc, &copyright, &cover_image})
        field->clear();
    coverSize = 0;
    flag = false;
}

bool VEAudioTagInfo::operator==(const VEAudioTagInfo& o) const {
    return title == o.title && artist == o.artist && album_artist == o.album_artist && composer == o.composer &&
           album == o.album && genre == o.genre && track == o.track && year == o.year && date == o.date &&
           grouping == o.grouping && comment == o.comment && disc == o.disc && copyright == o.copyright &&
           cover_image == o.cover_image && coverSize == o.coverSize && flag == o.flag;
}

VEEditConfig::VEEditConfig() {
    reset();
}

void VEEditConfig::reset() {
    trimStart = 0;
    trimEnd = 0;
    crop = VECropSettings();
    adjust = VEAdjustSettings();
    for (int i = 0; i < 3; ++i) {
        watermarks[i].text.reset();
        watermarks[i].image.reset();
        watermarks[i].carried[0] = watermarks[i].carried[1] = 0;
        // The first watermark is the editor's main one; the first two are placed at
        // full scale.
        watermarks[i].image.instanceFlag = i == 0 ? 1 : 0;
        const double pairValue = i < 2 ? 1.0 : 0.0;
        watermarks[i].image.pair[0] = watermarks[i].image.pair[1] = pairValue;
    }
    stream = VESubtitleTrack();
    subtitleStyle.reset();
    audio = VEAudioSettings();
    audioEffect.volume = 100;
    audioEffect.value = 100;
    audioEffect.rate = 100;
    audioEffect.releaseCurves();
    audioEffect.effectIndex = 0;
    tags.clear();
    sourceWidth = 0;
    sourceHeight = 0;
    flag = false;
}
