# Tests that run under Wine: unit tests against the real GDI, USER and
# registry, and end-to-end tests of the real saver. ctest runs every Windows
# program of this tree through the wine-run wrapper, inside a Wine prefix of
# the build tree; the end-to-end tests also need an X display (scripts/test.sh
# starts Xvfb).

set(GLIMMORA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_test(NAME wine_prefix COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${GLIMMORA_WINE_PREFIX})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS setup)

set(GLIMMORA_TEST_LINK -static)

function(glimmora_wine_test name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE tests)
  target_link_libraries(${name} PRIVATE glimmora_runtime glimmora_warnings)
  target_link_options(${name} PRIVATE ${GLIMMORA_TEST_LINK})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine)
endfunction()

glimmora_wine_test(wine_package tests/win/test_package.cpp)

# The runtime again, with every GDI object it creates or deletes counted.
add_library(glimmora_gdi_counter STATIC tests/win/gdi_counting.cpp)
target_link_libraries(glimmora_gdi_counter PUBLIC gdi32 user32 PRIVATE glimmora_warnings)
add_library(glimmora_runtime_counted STATIC ${GLIMMORA_RUNTIME_SOURCES})
target_compile_options(glimmora_runtime_counted PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/win/gdi_counting.h)
target_link_libraries(glimmora_runtime_counted PUBLIC glimmora_core glimmora_gdi_counter ${GLIMMORA_WIN_LIBS}
  PRIVATE glimmora_warnings)
add_executable(wine_engine tests/win/test_engine.cpp)
target_include_directories(wine_engine PRIVATE tests)
target_link_libraries(wine_engine PRIVATE glimmora_runtime_counted glimmora_warnings)
target_link_options(wine_engine PRIVATE ${GLIMMORA_TEST_LINK})
add_test(NAME wine_engine COMMAND wine_engine)
set_tests_properties(wine_engine PROPERTIES FIXTURES_REQUIRED wine LABELS wine)

# The end-to-end driver: starts savers, finds their windows, reads the screen,
# sends input, edits the registry.
add_library(glimmora_e2e_driver STATIC tests/e2e/driver.cpp)
target_include_directories(glimmora_e2e_driver PUBLIC tests)
target_link_libraries(glimmora_e2e_driver PUBLIC glimmora_core user32 gdi32 advapi32 kernel32 PRIVATE glimmora_warnings)
target_compile_definitions(glimmora_e2e_driver PRIVATE
  GLIMMORA_RUNTIME="$<TARGET_FILE:glimmora>"
  GLIMMORA_AUTHOR_TOOL="$<TARGET_FILE:glimmora-author>"
  GLIMMORA_E2E_WORK="${CMAKE_BINARY_DIR}/e2e-work")
add_dependencies(glimmora_e2e_driver glimmora glimmora-author)

function(glimmora_e2e_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE glimmora_e2e_driver glimmora_warnings)
  target_link_options(${name} PRIVATE ${GLIMMORA_TEST_LINK})
  add_test(NAME ${name} COMMAND ${name})
  # One screen, one keyboard: end-to-end tests take turns.
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK display TIMEOUT 600 LABELS e2e)
endfunction()

add_executable(wine_warmup tests/e2e/wine_warmup.cpp)
target_link_options(wine_warmup PRIVATE ${GLIMMORA_TEST_LINK})

glimmora_e2e_test(e2e_driver tests/e2e/test_driver.cpp)
glimmora_e2e_test(e2e_verbs tests/e2e/test_verbs.cpp)
glimmora_e2e_test(e2e_package tests/e2e/test_package.cpp)
glimmora_e2e_test(e2e_saver tests/e2e/test_saver.cpp)
glimmora_e2e_test(e2e_preview tests/e2e/test_preview.cpp)
