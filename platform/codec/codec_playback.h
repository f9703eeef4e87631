/* The codec library, continued: conversion, media information and playback entries.
 * Same calling form as the rest of the library (see calvorine_codec.h): pointer-sized
 * handles, 0 = none or failure, every entry accepts a 0 handle, times in microseconds,
 * texts UTF-8. Each entry's number is given as "[entry N]"; entries without a number
 * are this library's own additions.
 */
#ifndef CALVORINE_CODEC_PLAYBACK_H
#define CALVORINE_CODEC_PLAYBACK_H

#include <stddef.h>
#include <stdint.h>

#ifndef CVCODEC_API
#if defined(CALVORINE_CODEC_BUILDING)
#define CVCODEC_API __attribute__((visibility("default")))
#else
#define CVCODEC_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct cvcodec_params_s* cvcodec_params;
typedef struct cvcodec_converter_s* cvcodec_converter; /* conversion */
typedef struct cvcodec_info_s* cvcodec_info;           /* media information */
typedef struct cvcodec_player_s* cvcodec_player;       /* player */

/* While on, any file being opened for reading by this library gives up at once, and so
 * do reads of the files open for playback. Library-wide: to end one open, use the
 * handle's own interrupt (cvcodec_converter_interrupt_open, cvcodec_info_interrupt_open). */
CVCODEC_API int cvcodec_set_open_interrupt(int32_t on); /* [entry 654] */

/* ==== Conversion [entry 603 or 727 / 708] ====
 * One source re-encoded into one destination on the library's own thread. The owner's
 * thread may query and stop while it runs. When the work ends the destination has been
 * completed (trailer written) and closed, or removed (stopped, failed). */
CVCODEC_API cvcodec_converter cvcodec_converter_create(int32_t reserved); /* [entry 603] pass -1 */
/* A converter that copies the streams unchanged and only writes tags, cover and chapters
 * (and the trim window, cut at key frames). */
CVCODEC_API cvcodec_converter cvcodec_converter_create_tags_only(int32_t reserved); /* [entry 727] pass -1 */
CVCODEC_API int cvcodec_converter_release(cvcodec_converter c); /* [entry 708] stops and waits first */
/* Opens the source and the destination with the muxer's name ("" = from the extension)
 * and the settings of the parameter object (copied). 1 on success. */
CVCODEC_API int cvcodec_converter_open(cvcodec_converter c, const char* sourceUtf8, const char* destinationUtf8,
                                       const char* muxerName, cvcodec_params params); /* [entry 148] */
/* The same open; the parameters' subtitle choice applies to the source as read. */
CVCODEC_API int cvcodec_converter_open_alternative(cvcodec_converter c, const char* sourceUtf8,
                                                   const char* destinationUtf8, const char* muxerName,
                                                   cvcodec_params params); /* [entry 71] */
/* Trim window: start and length (0 = to the end), before start. */
CVCODEC_API int cvcodec_converter_set_range(cvcodec_converter c, int64_t startUs, int64_t lengthUs); /* [entry 471] */
CVCODEC_API int cvcodec_converter_start(cvcodec_converter c);       /* [entry 390] 1 when started */
CVCODEC_API int cvcodec_converter_is_finished(cvcodec_converter c); /* [entry 90] 1 once done (or failed) */
CVCODEC_API int cvcodec_converter_is_stopped(cvcodec_converter c);  /* [entry 731] 1 once a stop took effect */
/* 1 when the work ended in an error (no usable output; the file is removed). */
CVCODEC_API int cvcodec_converter_has_failed(cvcodec_converter c);
/* Asks the work to end; returns at once. */
CVCODEC_API int cvcodec_converter_stop(cvcodec_converter c); /* [entry 466] */
/* Makes an open of this converter in progress on another thread, and every later open
 * of it, give up at once (other handles' opens go on). May be called from any thread
 * while the open runs. */
CVCODEC_API int cvcodec_converter_interrupt_open(cvcodec_converter c);
/* Waits for the work to end and releases the files; the handle stays. */
CVCODEC_API int cvcodec_converter_close(cvcodec_converter c); /* [entry 817] */
/* Progress within the trim window, in microseconds of the source; the length is never 0. */
CVCODEC_API uint64_t cvcodec_converter_position(cvcodec_converter c); /* [entry 185] */
CVCODEC_API uint64_t cvcodec_converter_duration(cvcodec_converter c); /* [entry 523] */
/* Microseconds from the start to the first output packet written; 0 before that. */
CVCODEC_API int64_t cvcodec_converter_first_output_delay(cvcodec_converter c);

/* ==== Media information [entry 672 / 711, 793] ==== */
CVCODEC_API cvcodec_info cvcodec_info_create(int32_t reserved);             /* [entry 672] pass -1 */
CVCODEC_API int cvcodec_info_close(cvcodec_info info);                      /* [entry 711] closes the file */
CVCODEC_API int cvcodec_info_release(cvcodec_info info);                    /* [entry 793] */
CVCODEC_API int cvcodec_info_open(cvcodec_info info, const char* pathUtf8); /* [entry 522] */
/* The same for an information handle: its open in progress and later ones give up. */
CVCODEC_API int cvcodec_info_interrupt_open(cvcodec_info info);
CVCODEC_API int cvcodec_info_open_alternative(cvcodec_info info, const char* pathUtf8); /* [entry 31] */
CVCODEC_API int cvcodec_info_set_open_subtitle(cvcodec_info info, int32_t value);       /* [entry 109] recorded */
/* Capture sources by index do not exist here: always 0. */
CVCODEC_API int cvcodec_info_open_source(cvcodec_info info, int32_t sourceIndex); /* [entry 692] */
CVCODEC_API int cvcodec_info_has_picture(cvcodec_info info);                      /* [entry 259] */
CVCODEC_API int32_t cvcodec_info_picture_width(cvcodec_info info);                /* [entry 173] */
CVCODEC_API int32_t cvcodec_info_picture_height(cvcodec_info info);               /* [entry 388] */
/* A tag by key: a NUL-terminated UTF-8 text; for "cover_image" a pointer to
 * {const uint8_t* bytes; int32_t size}. "ffmpeg_format" gives the demuxer's name list,
 * "major_brand" the container's brand (Matroska: "matroska" or "webm"). Null when
 * absent. Valid until the file is closed. */
CVCODEC_API const void* cvcodec_info_tag(cvcodec_info info, const char* key); /* [entry 771] */
/* The bytes and byte count of a "cover_image" value. */
CVCODEC_API const void* cvcodec_tag_value_data(const void* coverValue); /* [entry 195] */
CVCODEC_API int32_t cvcodec_tag_value_size(const void* coverValue);     /* [entry 25] */
/* A picture of the file (its first frame, else its cover) as a BMP file in memory (the
 * total size as a 32-bit value at byte 2). The six values are reserved (0). Given back
 * with [entry 235]. */
CVCODEC_API uint8_t* cvcodec_info_picture(cvcodec_info info, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                                          int32_t f);                            /* [entry 821] */
CVCODEC_API int cvcodec_info_release_picture(cvcodec_info info, uint8_t* block); /* [entry 235] */
/* The total size of a picture block (BMP). */
CVCODEC_API int32_t cvcodec_picture_size(const uint8_t* block);                       /* [entry 484] */
CVCODEC_API uint32_t cvcodec_info_subtitle_count(cvcodec_info info);                  /* [entry 184] */
CVCODEC_API int cvcodec_info_select_audio(cvcodec_info info, int32_t index);          /* [entry 271] */
CVCODEC_API int cvcodec_info_select_subtitle(cvcodec_info info, int32_t index);       /* [entry 506] -1 none */
CVCODEC_API int cvcodec_info_enable_subtitle(cvcodec_info info, int32_t on);          /* [entry 548] */
CVCODEC_API int32_t cvcodec_info_chapter_count(cvcodec_info info);                    /* [entry 659] */
CVCODEC_API uint64_t cvcodec_info_chapter_start(cvcodec_info info, int32_t index);    /* [entry 784] */
CVCODEC_API uint64_t cvcodec_info_chapter_length(cvcodec_info info, int32_t index);   /* [entry 420] */
CVCODEC_API const char* cvcodec_info_chapter_title(cvcodec_info info, int32_t index); /* [entry 557] "" when none */
CVCODEC_API uint64_t cvcodec_info_duration(cvcodec_info info);                        /* [entry 585] */
/* True when a picture or sound packet can be read from the open file: a file cut short
 * may open and yet hold none. Reads on from the current position. */
CVCODEC_API int cvcodec_info_has_media(cvcodec_info info);
/* True when a picture packet (not a cover) can be read from the open file: a video
 * recording stopped before its first picture holds sound at most. Reads on from the
 * current position. */
CVCODEC_API int cvcodec_info_has_pictures(cvcodec_info info);

/* ==== Player [entry 825 or 430 / 562, 202, 429] ====
 * Plays one file: sound through the sound server, pictures handed to the owner (below)
 * in step with the sound. Entries are called from the owner's thread (and from the
 * frame callback, below). */
CVCODEC_API cvcodec_player cvcodec_player_create(int32_t mode);          /* [entry 825] -1 or -3 */
CVCODEC_API cvcodec_player cvcodec_player_create_source(int32_t source); /* [entry 430] capture sources: always 0 */
CVCODEC_API int cvcodec_player_release(cvcodec_player p);                /* [entry 429] */
/* Opens a file (paused at its start). The width and height hint and the two reserved
 * values may be 0. A failed open leaves the player empty. */
CVCODEC_API int cvcodec_player_open(cvcodec_player p, const char* pathUtf8, int32_t width, int32_t height, int32_t a,
                                    int32_t b);         /* [entry 783] */
CVCODEC_API int cvcodec_player_play(cvcodec_player p);  /* [entry 40] */
CVCODEC_API int cvcodec_player_pause(cvcodec_player p); /* [entry 208] */
CVCODEC_API int cvcodec_player_stop(cvcodec_player p);  /* [entry 562] pauses and goes to 0 */
CVCODEC_API int cvcodec_player_close(cvcodec_player p); /* [entry 202] */
/* Goes to the frame shown at the time (within one frame) and shows it. */
CVCODEC_API int cvcodec_player_seek(cvcodec_player p, uint64_t timeUs);            /* [entry 32] */
CVCODEC_API int cvcodec_player_begin_async_seek(cvcodec_player p, uint64_t value); /* [entry 816] */
CVCODEC_API int cvcodec_player_end_async_seek(cvcodec_player p);                   /* [entry 628] */
CVCODEC_API int cvcodec_player_step(cvcodec_player p, int32_t direction);          /* [entry 752] -1 back, 1 forward */
CVCODEC_API int cvcodec_player_show_current_frame(cvcodec_player p);               /* [entry 712] */
CVCODEC_API int cvcodec_player_repaint(cvcodec_player p);                          /* [entry 395] */
CVCODEC_API int cvcodec_player_is_at_end(cvcodec_player p);                        /* [entry 688] */
CVCODEC_API int cvcodec_player_is_paused(cvcodec_player p);                        /* [entry 809] */
CVCODEC_API int cvcodec_player_has_video(cvcodec_player p);                        /* [entry 787] */
CVCODEC_API int cvcodec_player_has_audio(cvcodec_player p);                        /* [entry 592] */
CVCODEC_API uint64_t cvcodec_player_duration(cvcodec_player p);                    /* [entry 565] */
CVCODEC_API uint64_t cvcodec_player_position(cvcodec_player p);                    /* [entry 413] */
CVCODEC_API uint64_t cvcodec_player_frame_time(cvcodec_player p);    /* [entry 329] time of the shown frame */
CVCODEC_API int32_t cvcodec_player_video_width(cvcodec_player p);    /* [entry 822] */
CVCODEC_API int32_t cvcodec_player_video_height(cvcodec_player p);   /* [entry 701] */
CVCODEC_API int32_t cvcodec_player_display_width(cvcodec_player p);  /* [entry 491] after the edits */
CVCODEC_API int32_t cvcodec_player_display_height(cvcodec_player p); /* [entry 275] */
/* The native windows the owner shows the pictures in (recorded; 0 = none). */
CVCODEC_API int cvcodec_player_set_video_window(cvcodec_player p, int64_t windowId);        /* [entry 206] */
CVCODEC_API int cvcodec_player_set_second_video_window(cvcodec_player p, int64_t windowId); /* [entry 634] */
CVCODEC_API int64_t cvcodec_player_video_window(cvcodec_player p, int32_t which);           /* 0 main, 1 second */
/* Called each time a new picture is ready: on the player's thread while it plays, on the
 * caller's thread from the entries that show a picture (open, play, stop, seek, step,
 * applying edits, repaint). Never with the player's lock held: the callback may call any
 * entry; the owner then copies the picture (on its own thread) with
 * cvcodec_player_copy_frame. */
typedef void (*cvcodec_player_frame_callback)(void* context);
CVCODEC_API int cvcodec_player_set_frame_callback(cvcodec_player p, cvcodec_player_frame_callback callback,
                                                  void* context);
/* Size of the current picture (0 x 0 when none), and a copy of it as 32-bit B, G, R, A
 * bytes into the caller's buffer of that size. */
CVCODEC_API int cvcodec_player_frame_size(cvcodec_player p, int32_t* width, int32_t* height);
CVCODEC_API int cvcodec_player_copy_frame(cvcodec_player p, void* pixels, int32_t bytesPerLine, int32_t width,
                                          int32_t height);
/* The same picture before the edits, for the main window (which shows the file as it
 * is); kept only while a main window is set (0 x 0 otherwise). */
CVCODEC_API int cvcodec_player_source_frame_size(cvcodec_player p, int32_t* width, int32_t* height);
CVCODEC_API int cvcodec_player_copy_source_frame(cvcodec_player p, void* pixels, int32_t bytesPerLine, int32_t width,
                                                 int32_t height);
CVCODEC_API int cvcodec_player_set_interval(cvcodec_player p, uint64_t intervalUs); /* [entry 734] recorded */
CVCODEC_API int cvcodec_player_set_open_mode(cvcodec_player p, int32_t mode);       /* [entry 660] recorded */
CVCODEC_API int cvcodec_player_set_audio_only(cvcodec_player p, int32_t on);        /* [entry 287] */
/* The sound played since the last call (kind 1) as a level block (44-byte header, data
 * size at bytes 24 and 40, then 16-bit samples); null when none. Given back with 746. */
CVCODEC_API uint8_t* cvcodec_player_level_block(cvcodec_player p, int32_t kind);      /* [entry 767] */
CVCODEC_API int cvcodec_player_release_level_block(cvcodec_player p, uint8_t* block); /* [entry 746] null accepted */
/* The shown picture as a BMP file in memory, at its own size. Given back with 37. */
CVCODEC_API uint8_t* cvcodec_player_snapshot(cvcodec_player p, int32_t a, int32_t b, int32_t c); /* [entry 332] */
CVCODEC_API int cvcodec_player_release_snapshot(cvcodec_player p, uint8_t* block);               /* [entry 37] */

/* Live edits (the preview of a conversion). Between begin and end the changes are
 * gathered and applied together; outside they apply at once. */
CVCODEC_API int cvcodec_player_begin_update(cvcodec_player p);                       /* [entry 417] */
CVCODEC_API int cvcodec_player_end_update(cvcodec_player p);                         /* [entry 366] */
CVCODEC_API int cvcodec_player_set_rotation(cvcodec_player p, int32_t degrees);      /* [entry 721] */
CVCODEC_API int cvcodec_player_set_mirrored(cvcodec_player p, int32_t on);           /* [entry 196] */
CVCODEC_API int cvcodec_player_set_pad(cvcodec_player p, int32_t on, uint32_t argb); /* [entry 756] */
CVCODEC_API int cvcodec_player_set_picture_rect(cvcodec_player p, double x, double y, double w,
                                                double h); /* [entry 534] */
/* Output shape: an aspect ratio (16, 9) or a size in pixels. */
CVCODEC_API int cvcodec_player_set_output_size(cvcodec_player p, int32_t width, int32_t height); /* [entry 755] */
CVCODEC_API int cvcodec_player_set_brightness(cvcodec_player p, int32_t value);   /* [entry 215] -255..255 */
CVCODEC_API int cvcodec_player_set_saturation(cvcodec_player p, int32_t percent); /* [entry 281] */
CVCODEC_API int cvcodec_player_set_hue(cvcodec_player p, int32_t degrees);        /* [entry 264] */
CVCODEC_API int cvcodec_player_set_contrast(cvcodec_player p, int32_t percent);   /* [entry 759] */
/* Watermarks: three slots; the setters below change the selected one. */
CVCODEC_API int cvcodec_player_select_watermark(cvcodec_player p, int32_t index);         /* [entry 377] */
CVCODEC_API int cvcodec_player_set_watermark_image(cvcodec_player p, const char* path);   /* [entry 343] null clears */
CVCODEC_API int cvcodec_player_set_watermark_image2(cvcodec_player p, const char* path);  /* [entry 425] recorded */
CVCODEC_API int cvcodec_player_set_watermark_image_mode(cvcodec_player p, int32_t value); /* [entry 285] recorded */
CVCODEC_API int cvcodec_player_set_watermark_image_pos(cvcodec_player p, double x, double y);     /* [entry 247] */
CVCODEC_API int cvcodec_player_set_watermark_image_scale(cvcodec_player p, int32_t w, int32_t h); /* [entry 709] */
CVCODEC_API int cvcodec_player_set_watermark_image_param(cvcodec_player p, int32_t value); /* [entry 733] recorded */
CVCODEC_API int cvcodec_player_set_watermark_image_alpha(cvcodec_player p, int32_t alpha); /* [entry 775] */
CVCODEC_API int cvcodec_player_set_watermark_image_flag(cvcodec_player p, int32_t value);  /* [entry 608] recorded */
CVCODEC_API int cvcodec_player_set_watermark_image_shown(cvcodec_player p, int32_t on);    /* [entry 698] recorded */
/* Factors (151) both above 0: the image covers that share of the picture's width and
 * height, showing the part of the image that its rectangle (108, fractions) names. */
CVCODEC_API int cvcodec_player_set_watermark_image_factors(cvcodec_player p, double a,
                                                           double b); /* [entry 151] share of the picture */
CVCODEC_API int cvcodec_player_set_watermark_image_kind(cvcodec_player p, int32_t value); /* [entry 161] recorded */
CVCODEC_API int cvcodec_player_set_watermark_image_rect(cvcodec_player p, double x, double y, double w,
                                                        double h); /* [entry 108] part of the image */
/* Display range of the image (source microseconds; an end not after the start: always). */
CVCODEC_API int cvcodec_player_set_watermark_image_range(cvcodec_player p, uint64_t start,
                                                         uint64_t end); /* [entry 80] */
CVCODEC_API int cvcodec_player_set_watermark_image_times(cvcodec_player p, int32_t a, int32_t b, int32_t c,
                                                         int32_t d);                      /* [entry 168] recorded */
CVCODEC_API int cvcodec_player_set_watermark_text(cvcodec_player p, const char* text);    /* [entry 353] null clears */
CVCODEC_API int cvcodec_player_set_watermark_text_off(cvcodec_player p, int32_t value);   /* [entry 357] */
CVCODEC_API int cvcodec_player_set_watermark_text_alpha(cvcodec_player p, int32_t alpha); /* [entry 820] */
CVCODEC_API int cvcodec_player_set_watermark_text_pos(cvcodec_player p, double x, double y); /* [entry 489] */
CVCODEC_API int cvcodec_player_set_watermark_text_param(cvcodec_player p, int32_t value);    /* [entry 274] recorded */
CVCODEC_API int cvcodec_player_set_watermark_text_bold(cvcodec_player p, int32_t on);        /* [entry 326] */
CVCODEC_API int cvcodec_player_set_watermark_text_size(cvcodec_player p, int32_t points);    /* [entry 111] */
CVCODEC_API int cvcodec_player_set_watermark_text_font(cvcodec_player p, const char* font);  /* [entry 243] */
CVCODEC_API int cvcodec_player_set_watermark_text_color(cvcodec_player p, uint32_t argb);    /* [entry 306] */
CVCODEC_API int cvcodec_player_set_watermark_outline_color(cvcodec_player p, uint32_t argb); /* [entry 676] */
CVCODEC_API int cvcodec_player_set_watermark_outline_size(cvcodec_player p, double value);   /* [entry 707] */
CVCODEC_API int cvcodec_player_set_watermark_shadow_color(cvcodec_player p, uint32_t argb);  /* [entry 82] */
CVCODEC_API int cvcodec_player_set_watermark_shadow_offset(cvcodec_player p, double value);  /* [entry 703] */
CVCODEC_API int cvcodec_player_set_watermark_text_italic(cvcodec_player p, int32_t on);      /* [entry 314] */
CVCODEC_API int cvcodec_player_set_watermark_text_underline(cvcodec_player p, int32_t on);   /* [entry 434] */
CVCODEC_API int cvcodec_player_set_watermark_text_strikeout(cvcodec_player p, int32_t on);   /* [entry 74] */
CVCODEC_API int cvcodec_player_set_watermark_text_scale(cvcodec_player p, int32_t w, int32_t h); /* [entry 56] */
CVCODEC_API int cvcodec_player_set_watermark_text_shown(cvcodec_player p, int32_t on);       /* [entry 588] recorded */
CVCODEC_API int cvcodec_player_set_watermark_text_selected(cvcodec_player p, int32_t on);    /* [entry 34] recorded */
CVCODEC_API int cvcodec_player_set_watermark_text_spacing_h(cvcodec_player p, double value); /* [entry 291] recorded */
CVCODEC_API int cvcodec_player_set_watermark_text_spacing_v(cvcodec_player p, double value); /* [entry 288] recorded */
CVCODEC_API int cvcodec_player_set_watermark_text_range(cvcodec_player p, uint64_t start,
                                                        uint64_t end); /* [entry 41] as 80 */
/* Fitted rectangles of the selected watermark, fractions of the picture. */
CVCODEC_API int cvcodec_player_refresh_watermark(cvcodec_player p);         /* [entry 718] */
CVCODEC_API double cvcodec_player_watermark_text_x(cvcodec_player p);       /* [entry 776] */
CVCODEC_API double cvcodec_player_watermark_text_y(cvcodec_player p);       /* [entry 661] */
CVCODEC_API double cvcodec_player_watermark_text_width(cvcodec_player p);   /* [entry 155] */
CVCODEC_API double cvcodec_player_watermark_text_height(cvcodec_player p);  /* [entry 164] */
CVCODEC_API double cvcodec_player_watermark_image_x(cvcodec_player p);      /* [entry 124] */
CVCODEC_API double cvcodec_player_watermark_image_y(cvcodec_player p);      /* [entry 292] */
CVCODEC_API double cvcodec_player_watermark_image_width(cvcodec_player p);  /* [entry 378] */
CVCODEC_API double cvcodec_player_watermark_image_height(cvcodec_player p); /* [entry 376] */
/* Streams and subtitles. */
CVCODEC_API int cvcodec_player_select_audio_track(cvcodec_player p, int32_t index);         /* [entry 442] */
CVCODEC_API int cvcodec_player_select_subtitle(cvcodec_player p, int32_t index);            /* [entry 577] -1 none */
CVCODEC_API int cvcodec_player_set_subtitle_file(cvcodec_player p, const char* path);       /* [entry 21] */
CVCODEC_API int cvcodec_player_set_subtitle_on(cvcodec_player p, int32_t on);               /* [entry 400] */
CVCODEC_API int cvcodec_player_set_subtitle_alpha(cvcodec_player p, int32_t alpha);         /* [entry 840] */
CVCODEC_API int cvcodec_player_set_subtitle_scale(cvcodec_player p, int32_t w, int32_t h);  /* [entry 597] recorded */
CVCODEC_API int cvcodec_player_set_subtitle_params(cvcodec_player p, int32_t a, int32_t b); /* [entry 345] recorded */
CVCODEC_API int cvcodec_player_set_subtitle_font(cvcodec_player p, const char* font);       /* [entry 394] */
CVCODEC_API int cvcodec_player_set_subtitle_size(cvcodec_player p, int32_t points);         /* [entry 819] */
CVCODEC_API int cvcodec_player_set_subtitle_bold(cvcodec_player p, int32_t on);             /* [entry 685] */
CVCODEC_API int cvcodec_player_set_subtitle_italic(cvcodec_player p, int32_t on);           /* [entry 758] */
CVCODEC_API int cvcodec_player_set_subtitle_underline(cvcodec_player p, int32_t on);        /* [entry 110] */
CVCODEC_API int cvcodec_player_set_subtitle_strikeout(cvcodec_player p, int32_t on);        /* [entry 192] */
CVCODEC_API int cvcodec_player_set_subtitle_color(cvcodec_player p, uint32_t argb);         /* [entry 53] */
CVCODEC_API int cvcodec_player_set_subtitle_shadow_color(cvcodec_player p, uint32_t argb);  /* [entry 358] */
CVCODEC_API int cvcodec_player_set_subtitle_outline_color(cvcodec_player p, uint32_t argb); /* [entry 403] */
CVCODEC_API int cvcodec_player_set_subtitle_shadow_offset(cvcodec_player p, double value);  /* [entry 652] */
CVCODEC_API int cvcodec_player_set_subtitle_outline_size(cvcodec_player p, double value);   /* [entry 584] */
CVCODEC_API int cvcodec_player_set_subtitle_position(cvcodec_player p, int32_t code);       /* [entry 772] */
CVCODEC_API int cvcodec_player_set_subtitle_spacing_h(cvcodec_player p, double value);      /* [entry 280] recorded */
CVCODEC_API int cvcodec_player_set_subtitle_spacing_v(cvcodec_player p, double value);      /* [entry 714] recorded */
CVCODEC_API int cvcodec_player_set_subtitle_margin_a(cvcodec_player p, double value);       /* [entry 96] recorded */
CVCODEC_API int cvcodec_player_set_subtitle_margin(cvcodec_player p, double value);         /* [entry 227] */
/* Sound. */
CVCODEC_API int cvcodec_player_set_audio_track_param(cvcodec_player p, int32_t value);   /* [entry 748] recorded */
CVCODEC_API int cvcodec_player_set_background_audio(cvcodec_player p, const char* path); /* [entry 801] recorded */
CVCODEC_API int cvcodec_player_set_background_repeat(cvcodec_player p, int32_t on);      /* [entry 273] recorded */
CVCODEC_API int cvcodec_player_set_background_param(cvcodec_player p, int32_t value);    /* [entry 824] recorded */
CVCODEC_API int cvcodec_player_set_volume(cvcodec_player p, int32_t percent);            /* [entry 255] 0..200 */
CVCODEC_API int cvcodec_player_set_background_weight(cvcodec_player p, int32_t percent); /* [entry 212] recorded */
CVCODEC_API int cvcodec_player_set_background_range(cvcodec_player p, uint64_t a,
                                                    uint64_t b); /* [entry 458] recorded */
CVCODEC_API int cvcodec_player_set_background_range2(cvcodec_player p, uint64_t a,
                                                     uint64_t b);                    /* [entry 555] recorded */
CVCODEC_API int cvcodec_player_set_effect_volume(cvcodec_player p, int32_t percent); /* [entry 693] */
CVCODEC_API int cvcodec_player_set_effect_param(cvcodec_player p, int32_t value);    /* [entry 392] recorded */
/* Playing speed of the effect, percent (100 = unchanged). */
CVCODEC_API int cvcodec_player_set_effect_rate(cvcodec_player p, int32_t percent); /* [entry 802] */
/* Equaliser: count pairs of (frequency Hz, gain dB); the arrays are copied. */
CVCODEC_API int cvcodec_player_set_equalizer(cvcodec_player p, const double* frequencies, const double* gains,
                                             int32_t count); /* [entry 405] */

#ifdef __cplusplus
}
#endif

#endif /* CALVORINE_CODEC_PLAYBACK_H */
