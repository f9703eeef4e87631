/* The codec library: every piece of encoding the program does goes through these plain
 * C entries. Each entry stands for one numbered entry point of the library's calling
 * convention; the number is given beside it as "[entry N]" so callers that speak in
 * numbers find it.
 *
 * Calling form
 * - Handles are pointer-sized opaque values; 0 means none or failure. Every entry
 *   accepts a 0 handle (and a handle of the wrong kind) and then returns 0 or false.
 * - Boolean results: non-zero is success. Times are microseconds (64-bit). Texts and
 *   paths are UTF-8, NUL-terminated.
 * - Codec ids, pixel and sample format codes are this library's own numbers (listed
 *   below), not those of any encoder package.
 * - Threads: the recorder handle may be called from several threads at once (it locks
 *   inside). Every other handle is used by one thread at a time.
 * - Blocks handed out by the library are given back through the matching entry.
 */
#ifndef CALVORINE_CODEC_H
#define CALVORINE_CODEC_H

#include <stddef.h>
#include <stdint.h>

#if defined(CALVORINE_CODEC_BUILDING)
#define CVCODEC_API __attribute__((visibility("default")))
#else
#define CVCODEC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Handle kinds. */
typedef struct cvcodec_params_s* cvcodec_params;     /* encoder parameter object */
typedef struct cvcodec_recorder_s* cvcodec_recorder; /* recorder */
typedef struct cvcodec_frame_s* cvcodec_frame;       /* video or audio frame object */
typedef struct cvcodec_track_s* cvcodec_track;       /* track */
typedef struct cvcodec_blob_s* cvcodec_blob;         /* byte blob */
typedef struct cvcodec_token_s* cvcodec_token;       /* start-up scope token */

/* Codec ids (video below 0x10000, audio from 0x10000 on). */
enum {
    CVCODEC_NONE = -1,
    CVCODEC_MPEG1 = 1,
    CVCODEC_MPEG2 = 2,
    CVCODEC_H263 = 5,
    CVCODEC_MJPEG = 8,
    CVCODEC_MPEG4 = 0xD,
    CVCODEC_MSMPEG4V3 = 0x11,
    CVCODEC_WMV1 = 0x12,
    CVCODEC_WMV2 = 0x13,
    CVCODEC_FLV1 = 0x16,
    CVCODEC_DV = 0x19,
    CVCODEC_H264 = 28,
    CVCODEC_THEORA = 0x1F,
    CVCODEC_VC1 = 0x47,
    CVCODEC_WMV3 = 0x48,
    CVCODEC_VP8 = 0x8D,
    CVCODEC_VP9 = 0xA9,
    CVCODEC_DIVX = 0x30355844, /* "DX50" */
    CVCODEC_XVID = 0x44495658, /* "XVID" */
    CVCODEC_H265 = 0x48323635, /* "H265" */
    CVCODEC_PCM_S16LE = 0x10000,
    CVCODEC_PCM_S16BE = 0x10001,
    CVCODEC_PCM_S24BE = 0x1000D,
    CVCODEC_ADPCM_IMA_QT = 0x11000,
    CVCODEC_ADPCM_SWF = 0x1100D,
    CVCODEC_AMR_NB = 0x12000,
    CVCODEC_MP2 = 0x15000,
    CVCODEC_MP3 = 0x15001,
    CVCODEC_AAC = 0x15002,
    CVCODEC_AC3 = 0x15003,
    CVCODEC_VORBIS = 0x15005,
    CVCODEC_WMAV1 = 0x15007,
    CVCODEC_WMAV2 = 0x15008,
    CVCODEC_FLAC = 0x1500C,
    CVCODEC_ALAC = 0x15010,
    CVCODEC_WMAPRO = 0x15026
};

/* Pixel format codes of video frames. */
enum {
    CVCODEC_PIXEL_YUV420P = 0,
    CVCODEC_PIXEL_RGB24 = 2,
    CVCODEC_PIXEL_BGR24 = 3,
    CVCODEC_PIXEL_ARGB = 27,
    CVCODEC_PIXEL_RGBA = 28,
    CVCODEC_PIXEL_ABGR = 29,
    CVCODEC_PIXEL_BGRA = 30 /* 32-bit B, G, R, X bytes: a top-down RGB32 bitmap */
};

/* Sample format codes of audio frames and tracks (interleaved samples). */
enum {
    CVCODEC_SAMPLE_U8 = 0,
    CVCODEC_SAMPLE_S16 = 1,
    CVCODEC_SAMPLE_S32 = 2,
    CVCODEC_SAMPLE_FLOAT = 3,
    CVCODEC_SAMPLE_DOUBLE = 4
};

/* Track types [entry 582]. */
enum { CVCODEC_TRACK_VIDEO = 1, CVCODEC_TRACK_AUDIO = 2, CVCODEC_TRACK_SUBTITLE = 8 };

/* Track data format: raw audio frames, the four characters "AFRM" read little-endian. */
#define CVCODEC_TRACK_FORMAT_AUDIO_FRAMES 0x4D524641

/* Level blocks: a 44-byte header, then interleaved signed 16-bit samples. The data size
 * in bytes is stored as a 32-bit value at byte 24 and again at byte 40; the channel
 * count at byte 22 (16-bit), the sample rate at byte 28, the bits per sample (16) at
 * byte 34 (16-bit). */
#define CVCODEC_LEVEL_HEADER_BYTES 44
#define CVCODEC_LEVEL_SIZE_OFFSET 24
#define CVCODEC_LEVEL_SIZE_OFFSET_AGAIN 40

/* ==== Start-up series: once, before any other entry. None is required; each only
 * sets a library-wide choice. ==== */

/* [entry 2] Switches a family of components on: 1 muxers and encoders, 0 demuxers and
 * decoders. Always available here; the call is recorded. */
CVCODEC_API int cvcodec_enable_components(int family, int on);
/* [entry 619] Encoder threading: automatic 1 lets each encoder use every core; 0 one
 * thread per encoder. The first value is reserved (0). */
CVCODEC_API int cvcodec_set_threading(int reserved, int automatic);
/* [entry 832] Hardware acceleration on or off (this library always encodes in
 * software; the choice is recorded). */
CVCODEC_API int cvcodec_set_hardware_acceleration(int on);
/* [entry 135] Diagnostic output of the underlying libraries on standard error:
 * 0 quiet, 1 errors, 2 warnings, 3 information, 4 debugging. */
CVCODEC_API int cvcodec_set_log_level(int level);
/* [entry 808] The program's data folder (UTF-8); recorded for the library's own use. */
CVCODEC_API int cvcodec_set_data_folder(const char* folderUtf8);

/* [entry 153] A token held around a recording's start (audio set-up included); it keeps
 * the library's shared tables alive meanwhile. Released with [entry 611]. */
CVCODEC_API cvcodec_token cvcodec_start_scope_begin(void);
/* [entry 611] */
CVCODEC_API int cvcodec_start_scope_end(cvcodec_token token);

/* ==== Encoder parameter object [entry 360 / 132] ====
 * Holds every setting of one encoding job. Values are stored as given; the recorder
 * and the converter read what concerns them. */
CVCODEC_API cvcodec_params cvcodec_params_create(void);   /* [entry 360] */
CVCODEC_API int cvcodec_params_release(cvcodec_params p); /* [entry 132] */

/* Streams. */
CVCODEC_API int cvcodec_params_set_video_codec(cvcodec_params p, int32_t codecId); /* [entry 815] -1 = no video */
CVCODEC_API int cvcodec_params_set_audio_codec(cvcodec_params p, int32_t codecId); /* [entry 448] -1 = no audio */
CVCODEC_API int cvcodec_params_set_audio_encoder_name(cvcodec_params p, const char* name); /* [entry 811] e.g. "aac" */
/* Encoder speed: 0 ultrafast, 1 superfast, 2 veryfast, 3 faster, 4 fast, 5 medium,
 * 6 slow, 7 slower, 8 veryslow. */
CVCODEC_API int cvcodec_params_set_speed_preset(cvcodec_params p, int32_t preset); /* [entry 650] */
/* Every picture handed to the recorder's video encoder takes at least this long, in
 * microseconds (no entry number): an encoder slower than the capture, for trying how a
 * recording keeps pace; 0 (the default) = as fast as the encoder goes. */
CVCODEC_API int cvcodec_params_set_minimum_encode_time(cvcodec_params p, int32_t microseconds);
/* Codec profile in the codec's own numbering (H.264: 66 baseline, 77 main, 100 high;
 * H.265: 1 main, 2 main 10). */
CVCODEC_API int cvcodec_params_set_profile(cvcodec_params p, int32_t profile);                  /* [entry 595] */
CVCODEC_API int cvcodec_params_set_video_size(cvcodec_params p, int32_t width, int32_t height); /* [entry 583] */
CVCODEC_API int cvcodec_params_set_frame_rate(cvcodec_params p, int32_t numerator,
                                              int32_t denominator);                         /* [entry 98] */
CVCODEC_API int cvcodec_params_set_video_bit_rate(cvcodec_params p, int32_t bitsPerSecond); /* [entry 370] */
/* Video quality in percent (0-100; higher is better): used instead of a bit rate. */
CVCODEC_API int cvcodec_params_set_video_quality(cvcodec_params p, int32_t percent);        /* [entry 241] */
CVCODEC_API int cvcodec_params_set_channels(cvcodec_params p, int32_t channels);            /* [entry 265] */
CVCODEC_API int cvcodec_params_set_sample_rate(cvcodec_params p, int32_t hertz);            /* [entry 289] */
CVCODEC_API int cvcodec_params_set_audio_bit_rate(cvcodec_params p, int32_t bitsPerSecond); /* [entry 700] */

/* Recording: mix the microphone track(s) into the one audio stream. */
CVCODEC_API int cvcodec_params_set_track_mixing(cvcodec_params p, int32_t on); /* [entry 745] */
/* Adds an audio track whose frames are mixed into the audio stream by timestamp. The
 * parameter object keeps the track alive until it is released. */
CVCODEC_API int cvcodec_params_add_mix_track(cvcodec_params p, cvcodec_track track); /* [entry 730] */

/* Conversion: rates (percent; 100 = unchanged). */
CVCODEC_API int cvcodec_params_set_rate_first(cvcodec_params p, int32_t percent);  /* [entry 803] */
CVCODEC_API int cvcodec_params_set_video_speed(cvcodec_params p, int32_t percent); /* [entry 17] */
CVCODEC_API int cvcodec_params_set_audio_speed(cvcodec_params p, int32_t percent); /* [entry 736] */
CVCODEC_API int cvcodec_params_set_rate_third(cvcodec_params p, int32_t percent);  /* [entry 251] */
CVCODEC_API int cvcodec_params_set_apply_edits(cvcodec_params p, int32_t on);      /* [entry 786] */

/* Conversion: picture shape, orientation, framing. */
CVCODEC_API int cvcodec_params_set_shape(cvcodec_params p, int32_t width, int32_t height); /* [entry 470] */
CVCODEC_API int cvcodec_params_set_rotation(cvcodec_params p, int32_t degrees);            /* [entry 87] */
CVCODEC_API int cvcodec_params_set_mirror(cvcodec_params p, int32_t mirrored);             /* [entry 384] */
CVCODEC_API int cvcodec_params_set_padding(cvcodec_params p, int32_t on, uint32_t argb);   /* [entry 278] */
CVCODEC_API int cvcodec_params_set_picture_rect(cvcodec_params p, double x, double y, double width,
                                                double height); /* [entry 537] */

/* Conversion: colour adjustment. */
CVCODEC_API int cvcodec_params_set_brightness(cvcodec_params p, int32_t value);    /* [entry 262] */
CVCODEC_API int cvcodec_params_set_adjust_second(cvcodec_params p, int32_t value); /* [entry 455] */
CVCODEC_API int cvcodec_params_set_saturation(cvcodec_params p, int32_t value);    /* [entry 764] */
CVCODEC_API int cvcodec_params_set_contrast(cvcodec_params p, int32_t value);      /* [entry 681] */
CVCODEC_API int cvcodec_params_set_hue(cvcodec_params p, int32_t value);           /* [entry 92] */

/* Conversion: stream choice and subtitles. */
CVCODEC_API int cvcodec_params_set_stream_choice_first(cvcodec_params p, int32_t value);  /* [entry 174] */
CVCODEC_API int cvcodec_params_set_audio_track_index(cvcodec_params p, int32_t index);    /* [entry 590] */
CVCODEC_API int cvcodec_params_set_subtitle_stream(cvcodec_params p, int32_t index);      /* [entry 594] 0-based */
CVCODEC_API int cvcodec_params_set_subtitle_file(cvcodec_params p, const char* pathUtf8); /* [entry 473] */
CVCODEC_API int cvcodec_params_set_subtitle_none(cvcodec_params p, int32_t on);           /* [entry 267] */

/* Conversion: subtitle text style. */
CVCODEC_API int cvcodec_params_set_subtitle_alpha(cvcodec_params p, int32_t alpha); /* [entry 406] */
CVCODEC_API int cvcodec_params_set_subtitle_scale(cvcodec_params p, int32_t horizontalPercent,
                                                  int32_t verticalPercent);                  /* [entry 571] */
CVCODEC_API int cvcodec_params_set_subtitle_style_value(cvcodec_params p, int64_t value);    /* [entry 33] */
CVCODEC_API int cvcodec_params_set_subtitle_font(cvcodec_params p, const char* fontName);    /* [entry 118] */
CVCODEC_API int cvcodec_params_set_subtitle_bold(cvcodec_params p, int32_t on);              /* [entry 503] */
CVCODEC_API int cvcodec_params_set_subtitle_italic(cvcodec_params p, int32_t on);            /* [entry 73] */
CVCODEC_API int cvcodec_params_set_subtitle_underline(cvcodec_params p, int32_t on);         /* [entry 740] */
CVCODEC_API int cvcodec_params_set_subtitle_strikeout(cvcodec_params p, int32_t on);         /* [entry 391] */
CVCODEC_API int cvcodec_params_set_subtitle_font_size(cvcodec_params p, int32_t points);     /* [entry 422] */
CVCODEC_API int cvcodec_params_set_subtitle_colour(cvcodec_params p, uint32_t argb);         /* [entry 23] */
CVCODEC_API int cvcodec_params_set_subtitle_shadow_colour(cvcodec_params p, uint32_t argb);  /* [entry 189] */
CVCODEC_API int cvcodec_params_set_subtitle_outline_colour(cvcodec_params p, uint32_t argb); /* [entry 788] */
CVCODEC_API int cvcodec_params_set_subtitle_shadow_offset(cvcodec_params p, double value);   /* [entry 302] */
CVCODEC_API int cvcodec_params_set_subtitle_outline_size(cvcodec_params p, double value);    /* [entry 4] */

/* Conversion: text and image watermark. */
CVCODEC_API int cvcodec_params_set_watermark_text(cvcodec_params p, const char* text);      /* [entry 552] */
CVCODEC_API int cvcodec_params_set_watermark_font(cvcodec_params p, const char* fontName);  /* [entry 837] */
CVCODEC_API int cvcodec_params_set_watermark_image(cvcodec_params p, const char* pathUtf8); /* [entry 735] */
CVCODEC_API int cvcodec_params_set_watermark_enabled(cvcodec_params p, int32_t on);         /* [entry 60] */
CVCODEC_API int cvcodec_params_set_watermark_image_value(cvcodec_params p, int32_t value);  /* [entry 798] */
CVCODEC_API int cvcodec_params_set_watermark_text_alpha(cvcodec_params p, int32_t alpha);   /* [entry 621] */
CVCODEC_API int cvcodec_params_set_watermark_text_scale(cvcodec_params p, int32_t horizontalPercent,
                                                        int32_t verticalPercent);                 /* [entry 166] */
CVCODEC_API int cvcodec_params_set_watermark_font_size(cvcodec_params p, int32_t points);         /* [entry 426] */
CVCODEC_API int cvcodec_params_set_watermark_bold(cvcodec_params p, int32_t on);                  /* [entry 86] */
CVCODEC_API int cvcodec_params_set_watermark_italic(cvcodec_params p, int32_t on);                /* [entry 379] */
CVCODEC_API int cvcodec_params_set_watermark_underline(cvcodec_params p, int32_t on);             /* [entry 769] */
CVCODEC_API int cvcodec_params_set_watermark_strikeout(cvcodec_params p, int32_t on);             /* [entry 501] */
CVCODEC_API int cvcodec_params_set_watermark_colour(cvcodec_params p, uint32_t argb);             /* [entry 123] */
CVCODEC_API int cvcodec_params_set_watermark_shadow_colour(cvcodec_params p, uint32_t argb);      /* [entry 794] */
CVCODEC_API int cvcodec_params_set_watermark_outline_colour(cvcodec_params p, uint32_t argb);     /* [entry 697] */
CVCODEC_API int cvcodec_params_set_watermark_shadow_offset(cvcodec_params p, double value);       /* [entry 312] */
CVCODEC_API int cvcodec_params_set_watermark_outline_size(cvcodec_params p, double value);        /* [entry 194] */
CVCODEC_API int cvcodec_params_set_watermark_text_position(cvcodec_params p, double x, double y); /* [entry 220] */
CVCODEC_API int cvcodec_params_set_watermark_text_selected(cvcodec_params p, int32_t value);      /* [entry 456] */
CVCODEC_API int cvcodec_params_set_watermark_image_alpha(cvcodec_params p, int32_t alpha);        /* [entry 476] */
CVCODEC_API int cvcodec_params_set_watermark_image_scale(cvcodec_params p, int32_t widthPercent,
                                                         int32_t heightPercent);                   /* [entry 653] */
CVCODEC_API int cvcodec_params_set_watermark_image_position(cvcodec_params p, double x, double y); /* [entry 315] */

/* Tags and chapters. */
CVCODEC_API int cvcodec_params_set_tag(cvcodec_params p, const char* key, const char* valueUtf8); /* [entry 380] */
/* [entry 380] with a blob for the value (the key "cover_image"); the bytes are copied. */
CVCODEC_API int cvcodec_params_set_tag_bytes(cvcodec_params p, const char* key, cvcodec_blob blob);
CVCODEC_API int cvcodec_params_add_chapter(cvcodec_params p, int64_t startUs, int64_t durationUs,
                                           const char* titleUtf8); /* [entry 479] */

/* ==== Byte blob [entry 600 / 528]: a copy of the given bytes. ==== */
CVCODEC_API cvcodec_blob cvcodec_blob_create(const void* data, int32_t size); /* [entry 600] 0 for size < 0 */
CVCODEC_API int cvcodec_blob_release(cvcodec_blob blob);                      /* [entry 528] */
CVCODEC_API const void* cvcodec_blob_data(cvcodec_blob blob);
CVCODEC_API int32_t cvcodec_blob_size(cvcodec_blob blob);

/* ==== Frame object [entry 478 / 117]: one video picture or one run of audio samples.
 * Setters describe the data; the data entries copy it into the frame. ==== */
CVCODEC_API cvcodec_frame cvcodec_frame_create(void);       /* [entry 478] */
CVCODEC_API int cvcodec_frame_release(cvcodec_frame frame); /* [entry 117] */
/* Video. */
CVCODEC_API int cvcodec_frame_set_pixel_format(cvcodec_frame frame, int32_t pixelFormat);   /* [entry 705] */
CVCODEC_API int cvcodec_frame_set_size(cvcodec_frame frame, int32_t width, int32_t height); /* [entry 498] */
/* The picture of one plane: the frame refers to the caller's pixels until it is pushed
 * (the push copies them) or released. Rows are bytesPerLine apart. */
CVCODEC_API int cvcodec_frame_set_plane(cvcodec_frame frame, int32_t plane, const void* pixels,
                                        int32_t bytesPerLine); /* [entry 796] */
/* Audio. */
CVCODEC_API int cvcodec_frame_set_sample_format(cvcodec_frame frame, int32_t sampleFormat);           /* [entry 807] */
CVCODEC_API int cvcodec_frame_set_sample_rate(cvcodec_frame frame, int32_t hertz);                    /* [entry 690] */
CVCODEC_API int cvcodec_frame_set_channels(cvcodec_frame frame, int32_t channels);                    /* [entry 719] */
CVCODEC_API int cvcodec_frame_set_channel_mask(cvcodec_frame frame, uint32_t mask, int32_t reserved); /* [entry 228] */
/* Copies sampleCount interleaved samples per channel in the frame's current format. */
CVCODEC_API int cvcodec_frame_set_samples(cvcodec_frame frame, const void* data, int32_t sampleCount); /* [entry 138] */
/* Time of the frame's first sample (audio) or of the picture (video) in microseconds on
 * the caller's recording clock. A video frame without one is stamped on arrival. */
CVCODEC_API int cvcodec_frame_set_timestamp(cvcodec_frame frame, int64_t timestampUs); /* [entry 356] */
/* The frame's samples as a level block (signed 16-bit, interleaved); kind 1. Null when
 * the frame holds no samples. Given back with [entry 142]. */
CVCODEC_API uint8_t* cvcodec_frame_level_block(cvcodec_frame frame, int32_t kind);      /* [entry 716] */
CVCODEC_API int cvcodec_frame_release_level_block(cvcodec_frame frame, uint8_t* block); /* [entry 142] */

/* ==== Track [entry 582 / 774]: a stream of frames fed by one producer. An audio track
 * added to a recording's parameters is mixed into its audio stream. ==== */
CVCODEC_API cvcodec_track cvcodec_track_create(int32_t type);                                         /* [entry 582] */
CVCODEC_API int cvcodec_track_release(cvcodec_track track);                                           /* [entry 774] */
CVCODEC_API int cvcodec_track_set_format(cvcodec_track track, uint32_t fourcc);                       /* [entry 75] */
CVCODEC_API int cvcodec_track_set_sample_rate(cvcodec_track track, int32_t hertz);                    /* [entry 372] */
CVCODEC_API int cvcodec_track_set_channels(cvcodec_track track, int32_t channels);                    /* [entry 263] */
CVCODEC_API int cvcodec_track_set_channel_mask(cvcodec_track track, uint32_t mask, int32_t reserved); /* [entry 157] */
CVCODEC_API int cvcodec_track_set_sample_format(cvcodec_track track, int32_t sampleFormat);           /* [entry 268] */
CVCODEC_API int cvcodec_track_set_bits_per_sample(cvcodec_track track, int32_t bits);                 /* [entry 297] */
/* Called with (context, event): event 1 when a recording starts taking the track's
 * frames, 2 when it stops, on the thread that opens or stops that recording. The
 * result is ignored. Once the track's release returns no callback runs any more: the
 * release waits for one in progress on another thread. */
typedef int (*cvcodec_track_callback)(void* context, int32_t event);
CVCODEC_API int cvcodec_track_set_callback(cvcodec_track track, cvcodec_track_callback callback,
                                           void* context);                                        /* [entry 612] */
CVCODEC_API int cvcodec_track_set_video_size(cvcodec_track track, int32_t width, int32_t height); /* [entry 435] */
CVCODEC_API int cvcodec_track_set_frame_rate(cvcodec_track track, int32_t numerator,
                                             int32_t denominator);                                     /* [entry 178] */
CVCODEC_API int cvcodec_track_set_aspect(cvcodec_track track, int32_t numerator, int32_t denominator); /* [entry 38] */
CVCODEC_API int cvcodec_track_set_codec_data(cvcodec_track track, const void* data, int32_t size);     /* [entry 446] */
CVCODEC_API int cvcodec_track_set_time_base(cvcodec_track track, int32_t numerator,
                                            int32_t denominator); /* [entry 728] */
/* Hands an audio frame (with its timestamp) to the track; copied. Never blocks: when
 * the consumer falls behind the frame is dropped and counted. */
CVCODEC_API int cvcodec_track_push_frame(cvcodec_track track, cvcodec_frame frame); /* [entry 770] */

/* ==== Recorder [entry 310 / 780]: encodes pushed video and audio frames into one file
 * on the library's own threads. Every entry may be called from any thread at any time;
 * pushes copy the data and return at once (a full queue drops the frame and counts
 * it). ==== */
CVCODEC_API cvcodec_recorder cvcodec_recorder_create(int32_t reserved); /* [entry 310] pass -1 */
CVCODEC_API int cvcodec_recorder_release(cvcodec_recorder recorder);    /* [entry 780] stops and closes first */
/* Opens the file (UTF-8 path) with the named muxer ("mp4", "mov", "matroska", "avi",
 * ...) and the stream settings of the parameters (copied), and starts encoding. False
 * for an unknown muxer, an unusable size or codec, an unwritable path, or while a
 * recording runs on this handle (a stopped file not yet closed is closed first; a
 * failed open leaves no file and no thread behind). MP4 and MOV are written in fragments of about one
 * second, each flushed to the file, so a killed process leaves a playable file. */
CVCODEC_API int cvcodec_recorder_open(cvcodec_recorder recorder, const char* pathUtf8, const char* muxerName,
                                      cvcodec_params params); /* [entry 238] */
/* True from a successful open until stop, paused or not; false as soon as the file can
 * no longer be written (a full disk): the caller should then stop, which keeps what was
 * written playable. Pushes fail from that moment on. */
CVCODEC_API int cvcodec_recorder_is_running(cvcodec_recorder recorder); /* [entry 341] */
/* Pauses: frames and sound that arrive meanwhile are left out. The next video frame
 * push or recorded-time query resumes. */
CVCODEC_API int cvcodec_recorder_pause(cvcodec_recorder recorder); /* [entry 510] */
/* Right after the open, before anything is pushed: the recording's clock counts from
 * originUs (the monotonic clock in microseconds) instead of the open, so that the
 * caller's stamps and the pauses share one origin (the next file of a cut counts from
 * the cut). */
CVCODEC_API int cvcodec_recorder_set_clock_origin(cvcodec_recorder recorder, int64_t originUs);
/* Recorded time so far in microseconds, pauses left out (resumes a paused recording). */
CVCODEC_API uint64_t cvcodec_recorder_recorded_time(cvcodec_recorder recorder); /* [entry 616] */
/* Pushes copy the frame. A frame whose timestamp lies more than 10 s ahead of the
 * recording's clock is refused and counted as dropped. */
CVCODEC_API int cvcodec_recorder_push_video(cvcodec_recorder recorder, cvcodec_frame frame); /* [entry 610] */
CVCODEC_API int cvcodec_recorder_push_audio(cvcodec_recorder recorder, cvcodec_frame frame); /* [entry 443] */
/* The recorded sound since the last call (kind 1), at most one second, as a level block;
 * null when none. Given back with [entry 412]. */
CVCODEC_API uint8_t* cvcodec_recorder_level_block(cvcodec_recorder recorder, int32_t kind);      /* [entry 354] */
CVCODEC_API int cvcodec_recorder_release_level_block(cvcodec_recorder recorder, uint8_t* block); /* [entry 412] */
/* Stops: encodes what is queued, finishes the file and ends the library's threads.
 * True only when the whole file reached the disk; false when nothing was running, or
 * when a write, an encoder, the trailer or the close failed during the recording or at
 * the stop (a full disk): the file may then be cut short or not play at all. Either
 * way the recording is stopped. */
CVCODEC_API int cvcodec_recorder_stop(cvcodec_recorder recorder); /* [entry 411] */
/* Closes the (stopped) file; the handle can open the next one. */
CVCODEC_API int cvcodec_recorder_close(cvcodec_recorder recorder); /* [entry 599] */
/* The library's own counters (no entry number): frames dropped because the encoder fell
 * behind (kind 1 video, 2 audio), video frames waiting in the queue, and the picture
 * buffers the open file's video has made (reused from picture to picture, so bounded by
 * the queue however long the recording). */
CVCODEC_API uint64_t cvcodec_recorder_dropped_frames(cvcodec_recorder recorder, int32_t kind);
CVCODEC_API int cvcodec_recorder_queued_video_frames(cvcodec_recorder recorder);
/* How long the encoder will take for the video frames waiting, in microseconds, by the
 * time it took for its recent pictures (no entry number). */
CVCODEC_API int64_t cvcodec_recorder_video_backlog(cvcodec_recorder recorder);
CVCODEC_API uint64_t cvcodec_recorder_video_buffers(cvcodec_recorder recorder);

#ifdef __cplusplus
}
#endif

/* Conversion, media information and playback entries. */
#include "codec_playback.h"

#endif /* CALVORINE_CODEC_H */
