# Native build: the platform-free code's unit tests.

function(glimmora_native_test name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE tests)
  target_link_libraries(${name} PRIVATE glimmora_core glimmora_warnings)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS unit)
endfunction()

glimmora_native_test(native_command_line tests/native/test_command_line.cpp)
glimmora_native_test(native_settings tests/native/test_settings.cpp)
glimmora_native_test(native_trailer tests/native/test_trailer.cpp)
glimmora_native_test(native_bmp_format tests/native/test_bmp_format.cpp)
glimmora_native_test(native_input_policy tests/native/test_input_policy.cpp)
glimmora_native_test(native_modes tests/native/test_modes.cpp)
glimmora_native_test(native_placement tests/native/test_placement.cpp)
