# cmake -DMODULE=<path> -P CheckExports.cmake: fails unless the module's
# defined dynamic symbols are exactly ResizeImg and the row-by-row entries.
execute_process(COMMAND nm -D --defined-only ${MODULE}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" entries "${symbols}")
set(names)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" name "${entry}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected ResizeImg ResizeRowsAbandon ResizeRowsBegin ResizeRowsEnd ResizeRowsRow
  ResizeRowsWritten)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}")
endif()
