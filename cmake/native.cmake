# Native build: the platform-free code's unit tests, one program. A 32-bit
# build runs it through scripts/run-32-bit.sh, which picks how.

add_executable(native_tests tests/native/main.cpp tests/native/package_tests.cpp tests/native/shell_tests.cpp
  tests/native/engine_tests.cpp tests/native/page_tests.cpp)
target_link_libraries(native_tests PRIVATE glimmora_core glimmora_test_support glimmora_warnings)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME native32_tests COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-32-bit.sh $<TARGET_FILE:native_tests>)
  set_tests_properties(native32_tests PROPERTIES LABELS unit32)
else()
  add_test(NAME native_tests COMMAND native_tests)
  set_tests_properties(native_tests PROPERTIES LABELS unit)
endif()
