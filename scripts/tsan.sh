#!/usr/bin/env bash
# Builds the threaded tests (recording, sound capture, player, converter, codec) with the
# thread sanitizer (preset "tsan", folder build-tsan) and runs them on a virtual desktop of
# their own. Any data race or lock-order report fails the test that shows it; reports
# from libraries we do not build are suppressed in cmake/tsan.supp. Extra arguments go to
# ctest (for example -R test_codec_player).
set -euo pipefail
cd "$(dirname "$0")/.."

TESTS=(test_sound_capture tst_codec_recorder tst_codec_recorder_threads test_codec_conversion test_codec_player
  test_media_converter test_media_player_manager test_record_audio test_record_engine test_record_frames)
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$(nproc)" --target "${TESTS[@]}"
scripts/desktop.sh exec -- ctest --preset tsan -j 2 "$@"
