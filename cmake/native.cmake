# Native build: the platform-free code's unit tests, one program. A 32-bit
# build runs it through scripts/run-32-bit.sh, which picks how.

add_executable(native_tests tests/native/main.cpp tests/native/package_tests.cpp tests/native/shell_tests.cpp
  tests/native/engine_tests.cpp tests/native/page_tests.cpp)
target_link_libraries(native_tests PRIVATE glimmora_core glimmora_test_support glimmora_warnings)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME native32_tests COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-32-bit.sh $<TARGET_FILE:native_tests>)
  set_tests_properties(native32_tests PROPERTIES LABELS unit32)
  # Built as the shipped saver is, for the Pentium. The tests themselves cannot
  # run on an emulated one: the system's 32-bit C library needs a Pentium Pro.
  add_test(NAME native32_pentium_code
    COMMAND sh -c "${CMAKE_SOURCE_DIR}/tests/static/beyond_pentium.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:glimmora_core> && echo '1 passed, 0 failed'")
  set_tests_properties(native32_pentium_code PROPERTIES LABELS unit32)
else()
  add_test(NAME native_tests COMMAND native_tests)
  set_tests_properties(native_tests PROPERTIES LABELS unit)
endif()
