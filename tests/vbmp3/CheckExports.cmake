# cmake -DLIBRARY=<path> -P CheckExports.cmake: fails unless the seven
# vbmp3_* functions are the library's only defined dynamic symbols.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" entries "${symbols}")
set(names)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" name "${entry}")
  # Marks the linker sets on every shared object, not functions of ours.
  if(NOT name MATCHES "^(__bss_start|_edata|_end)$")
    list(APPEND names ${name})
  endif()
endforeach()
list(SORT names)
set(expected vbmp3_close vbmp3_free vbmp3_getState vbmp3_init vbmp3_open vbmp3_play
  vbmp3_setVolume)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}")
endif()
