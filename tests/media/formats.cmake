# Tests of the property-list reader, the profile catalogue and the format-name tables.
set(_formats_dir ${CMAKE_CURRENT_LIST_DIR}/formats)
calvorine_add_test(tst_plist_reader SOURCES ${_formats_dir}/tst_plist_reader.cpp LIBS calvorine_media OFFSCREEN)
calvorine_add_test(tst_profile_catalogue SOURCES ${_formats_dir}/tst_profile_catalogue.cpp LIBS calvorine_media OFFSCREEN)
add_dependencies(tst_profile_catalogue calvorine_resources calvorine_images)
calvorine_add_test(tst_format_tables SOURCES ${_formats_dir}/tst_format_tables.cpp LIBS calvorine_media OFFSCREEN)
