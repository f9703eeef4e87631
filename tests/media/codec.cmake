# The codec library's program side: conversion parameters (recorded and read back with
# ffprobe) and the edit records.
calvorine_add_test(tst_media_convert_param SOURCES codec/tst_convert_param.cpp
  LIBS calvorine_media calvorine_codec calvorine_system TIMEOUT 120)
calvorine_add_test(tst_media_edit_records SOURCES codec/tst_edit_records.cpp LIBS calvorine_media)
