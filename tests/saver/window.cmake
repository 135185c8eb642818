slidora_add_test(saver_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/locale_text_test.cpp
  LIBS slidora_saver slidora_test_support_qt)
