# Tests of the item records, models, views, delegates, combo box, menu and scroll bar.
set(_items_dir ${CMAKE_CURRENT_LIST_DIR}/items)
calvorine_add_test(tst_item_records SOURCES ${_items_dir}/tst_item_records.cpp LIBS calvorine_toolkit OFFSCREEN)
calvorine_add_test(tst_item_models SOURCES ${_items_dir}/tst_item_models.cpp LIBS calvorine_toolkit OFFSCREEN)
calvorine_add_test(tst_item_delegates SOURCES ${_items_dir}/tst_item_delegates.cpp LIBS calvorine_toolkit OFFSCREEN)
calvorine_add_test(tst_item_views SOURCES ${_items_dir}/tst_item_views.cpp LIBS calvorine_toolkit OFFSCREEN)
calvorine_add_test(tst_item_combobox SOURCES ${_items_dir}/tst_item_combobox.cpp LIBS calvorine_toolkit OFFSCREEN)
calvorine_add_test(tst_item_menu SOURCES ${_items_dir}/tst_item_menu.cpp LIBS calvorine_toolkit OFFSCREEN)
calvorine_add_test(tst_item_scrollbar SOURCES ${_items_dir}/tst_item_scrollbar.cpp LIBS calvorine_toolkit OFFSCREEN)
# Pixel counting comes from the drawing tests' support header.
target_include_directories(tst_item_menu PRIVATE ${CMAKE_CURRENT_LIST_DIR}/draw)
target_include_directories(tst_item_scrollbar PRIVATE ${CMAKE_CURRENT_LIST_DIR}/draw)
