# Byte strings, the effect-file store, and their behaviour when memory runs out.
# The suites that check the store's internals include its internal headers by path.

vanteel_test(bytestring_test
  bytestring_construct_test.cpp
  bytestring_edit_test.cpp
  bytestring_search_test.cpp
  bytestring_io_test.cpp
)
target_link_libraries(bytestring_test PRIVATE vanteel_allocation_counter)

vanteel_test(shaderstore_test
  shaderstore_answer_text.cpp
  shaderstore_slicing_test.cpp
  shaderstore_directive_test.cpp
  shaderstore_lookup_test.cpp
  shaderstore_lifecycle_test.cpp
  shaderstore_reload_test.cpp
)
target_link_libraries(shaderstore_test PRIVATE vanteel_allocation_counter vanteel_effect_directory)
# Streams that fail on demand exist only in the GNU C library.
if(NOT WIN32)
  target_sources(shaderstore_test PRIVATE shaderstore_read_error_test.cpp)
endif()

vanteel_test(allocation_test
  allocation_bytestring_test.cpp
  allocation_shaderstore_test.cpp
  shaderstore_answer_text.cpp
)
target_link_libraries(allocation_test PRIVATE vanteel_allocation_counter vanteel_effect_directory)
