// Small utilities. Unless a function says otherwise it
// keeps no shared state and may be called from any thread.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class QWidget;

// MD5 digest following RFC 1321 (names thumbnail files: the MD5 of a media file's full
// path in UTF-8). One object per digest; not shared between threads.
class MD5 {
public:
    MD5();
    // Digests all bytes of the string and finalises at once.
    explicit MD5(const std::string& bytes);
    void update(const unsigned char* bytes, std::size_t count);
    void update(const char* bytes, std::size_t count);
    // Finalises; a second call does nothing. update() after it does nothing.
    void finalize();
    // 32 lower-case hexadecimal digits; empty when not finalised.
    std::string hexdigest() const;

private:
    void transform(const unsigned char block[64]);

    uint32_t m_state[4];
    uint32_t m_bitCount[2]; // low, high words
    unsigned char m_buffer[64];
    unsigned char m_digest[16];
    bool m_finalized = false;
};

// "%d B" up to 1024 bytes, then "%.2f KB" above 1024, "%.2f MB" above 2^20, "%.2f GB"
// above 2^30 (thresholds strict). Negative counts are shown as "0 B".
QString formatFileSize(int64_t bytes);

// Monotonic microseconds (platform clock; shared origin with the codec library). Only
// differences mean anything; never runs backwards, no overflow.
int64_t getMicroseconds();

// Suspends the calling thread for microseconds / 1000 whole milliseconds.
void sleepMicroseconds(int64_t microseconds);

// True when the zero-terminated bytes are well-formed UTF-8 (1 to 4 bytes per character,
// no overlong forms, no surrogates, nothing above U+10FFFF); false for null.
bool isValidUtf8(const char* text);

// A tag text of unknown encoding, up to its first NUL: UTF-8 when it is well-formed
// UTF-8 (isValidUtf8), else Windows-1252 (the tag library's table). Never fails.
QString toWideString(const std::string& text);

// The program's product version (the build's version), computed once; "2.0.2" when the
// build has none. First call on the GUI thread.
QString getFileProductVersion();

// The operating system's name and version for the log header and the about box, for
// example "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64"; empty when nothing can
// be read. (The name is the historical one; the text names whatever system runs the
// program.)
QString getWindowsVersionText();

// Transparency: stored as an alpha 0-255, shown as a whole percentage 0-100. Both ways
// round to the nearest and clamp at both ends, so a value survives the round trip
// (100 % <-> 255, 50 % <-> 128 -> 50 %). Shared by the recorder's and the editor's
// watermark settings.
int alphaFromPercent(int percent);
int percentFromAlpha(int alpha);

// A stored time of day or length read back from a settings text: the decimal value
// when it lies in [0, upperUs] (a time of day: below one day; a length: any
// non-negative value that fits), else 0. Empty or non-numeric texts give 0.
int64_t storedMicroseconds(const QString& text, int64_t upperUs);
constexpr int64_t kMicrosecondsPerDay = int64_t(24) * 3600 * 1000000;

// Sets a copy of the widget's font with family "Tahoma" and the pixel size; nothing for
// a null widget. GUI thread.
void setWidgetFont(QWidget* widget, int pixelSize);
