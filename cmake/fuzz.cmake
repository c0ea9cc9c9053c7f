# libFuzzer harnesses of everything that reads outside input (scripts/fuzz.sh).

set(GLIMMORA_FUZZERS)
function(glimmora_fuzzer name library)
  add_executable(fuzz_${name} tests/fuzz/fuzz_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE ${library})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(GLIMMORA_FUZZERS ${GLIMMORA_FUZZERS} fuzz_${name} PARENT_SCOPE)
endfunction()

glimmora_fuzzer(package glimmora_core)
glimmora_fuzzer(bmp glimmora_core)
glimmora_fuzzer(command_line glimmora_core)
glimmora_fuzzer(logo glimmora_author_parts)
glimmora_fuzzer(layout glimmora_author_parts)
glimmora_fuzzer(config glimmora_author_parts)
glimmora_fuzzer(signature glimmora_author_parts)
add_custom_target(fuzzers DEPENDS ${GLIMMORA_FUZZERS})
