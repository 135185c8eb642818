# Window-free slideshow logic: layout, background colour, overlay text; and the
# saver's core against a recording view, without a toolkit.
slidora_add_test(saver_logic_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/background_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/overlay_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedRandom.h
  LIBS slidora_saver_logic)
slidora_add_test(saver_core_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_core_test.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverFixture.h
  LIBS slidora_saver_core)
slidora_add_test(saver_guest_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_guest_test.cpp ${CMAKE_CURRENT_LIST_DIR}/SaverFixture.h
  LIBS slidora_saver_core)
