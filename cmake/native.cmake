# Native build: the platform-free code's unit tests, one program.

add_executable(native_tests tests/native/package_tests.cpp tests/native/shell_tests.cpp tests/native/engine_tests.cpp
  tests/native/page_tests.cpp)
target_link_libraries(native_tests PRIVATE glimmora_core glimmora_test_support glimmora_warnings)
add_test(NAME native_tests COMMAND native_tests)
set_tests_properties(native_tests PROPERTIES LABELS unit)
