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
  target_link_libraries(${name} PRIVATE glimmora_runtime glimmora_test_support glimmora_warnings)
  target_link_options(${name} PRIVATE ${GLIMMORA_TEST_LINK})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine)
endfunction()

# The runtime again, with every GDI object it creates or deletes counted.
add_library(glimmora_gdi_counter STATIC tests/win/gdi_counting.cpp)
target_link_libraries(glimmora_gdi_counter PUBLIC gdi32 user32 PRIVATE glimmora_warnings)
add_library(glimmora_runtime_counted STATIC ${GLIMMORA_RUNTIME_SOURCES})
target_compile_options(glimmora_runtime_counted PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/win/gdi_counting.h)
target_link_libraries(glimmora_runtime_counted PUBLIC glimmora_core ${GLIMMORA_WIN_LIBS} PRIVATE glimmora_warnings)

# A Wine test of the counted runtime.
function(glimmora_counted_test name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PRIVATE glimmora_runtime_counted glimmora_gdi_counter glimmora_test_support glimmora_warnings)
  target_link_options(${name} PRIVATE ${GLIMMORA_TEST_LINK})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine)
endfunction()

glimmora_counted_test(wine_engine tests/win/test_engine.cpp)
# The logo packed as the authoring tool packs it.
target_link_libraries(wine_engine PRIVATE glimmora_author_parts)

# The end-to-end driver: starts savers, finds their windows, reads the screen,
# sends input, edits the registry.
add_library(glimmora_e2e_driver STATIC tests/e2e/driver.cpp)
target_link_libraries(glimmora_e2e_driver PUBLIC glimmora_core glimmora_test_support user32 gdi32 advapi32 kernel32 PRIVATE glimmora_warnings)
target_compile_definitions(glimmora_e2e_driver PRIVATE
  GLIMMORA_RUNTIME="$<TARGET_FILE:glimmora>"
  GLIMMORA_AUTHOR_TOOL="$<TARGET_FILE:glimmora-author>"
  GLIMMORA_E2E_WORK="${CMAKE_BINARY_DIR}/e2e-work"
  PUBLIC
  # The shipped 32-bit runtime, from its own tree of the same source (scripts/build.sh builds it first).
  GLIMMORA_RUNTIME32="${CMAKE_SOURCE_DIR}/build/win32/glimmora.scr")
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

# A few of a program's cases again with every saver made from the shipped 32-bit
# runtime, where Wine runs 32-bit programs (scripts/test.sh knows).
function(glimmora_e2e_test32 name cases)
  add_test(NAME ${name}32 COMMAND ${name} "--test-case=${cases}")
  set_tests_properties(${name}32 PROPERTIES ENVIRONMENT GLIMMORA_E2E_RUNTIME=32 FIXTURES_REQUIRED wine RESOURCE_LOCK display
    TIMEOUT 600 LABELS e2e32)
endfunction()

glimmora_e2e_test(e2e_saver tests/e2e/test_saver.cpp)
glimmora_e2e_test32(e2e_saver "a damaged*,static mode*,Falling copies*")

# The Static picture again on two monitors, only where scripts/two-monitors.sh has set them up.
add_test(NAME e2e_monitors COMMAND e2e_saver "--test-case=static mode*")
set_tests_properties(e2e_monitors PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK display TIMEOUT 600 LABELS e2e_monitors)

# The tool's packages under Wine's msiexec; the native tool builds them, as wixl runs there.
glimmora_e2e_test(e2e_msi tests/e2e/test_msi.cpp)
# The signed road: savers and packages signed by the native tool, where osslsigncode runs.
glimmora_e2e_test(e2e_signed tests/e2e/test_signed.cpp)
foreach(test e2e_msi e2e_signed)
  target_link_libraries(${test} PRIVATE msi)
  target_compile_definitions(${test} PRIVATE GLIMMORA_NATIVE_TOOL="${CMAKE_SOURCE_DIR}/build/native/glimmora-author"
    GLIMMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endforeach()

# Stand-ins for the system's Windows 9x password libraries, never shipped:
# they answer as a test tells them and record how the saver called them.
set(GLIMMORA_FIXTURE_FOLDER ${CMAKE_BINARY_DIR}/fixtures)
function(glimmora_library_fixture target file_name source)
  add_library(${target} MODULE ${source})
  get_filename_component(base ${file_name} NAME_WE)
  get_filename_component(extension ${file_name} EXT)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${base} SUFFIX ${extension}
    LIBRARY_OUTPUT_DIRECTORY ${GLIMMORA_FIXTURE_FOLDER})
  target_link_libraries(${target} PRIVATE user32 advapi32 glimmora_warnings)
  target_link_options(${target} PRIVATE -static -s)
endfunction()
glimmora_library_fixture(fixture_password_cpl PASSWORD.CPL tests/e2e/fixtures/password_libraries.cpp)
glimmora_library_fixture(fixture_mpr_dll MPR.DLL tests/e2e/fixtures/password_libraries.cpp)

glimmora_e2e_test(e2e_password tests/e2e/test_password.cpp)
glimmora_wine_test(wine_shell tests/win/test_shell.cpp)
foreach(test e2e_password wine_shell)
  target_compile_definitions(${test} PRIVATE GLIMMORA_FIXTURE_FOLDER="${GLIMMORA_FIXTURE_FOLDER}")
  add_dependencies(${test} fixture_password_cpl fixture_mpr_dll)
endforeach()

# The benchmark of the modes (scripts/bench.sh); it prints figures and asserts nothing.
add_executable(mode_bench bench/mode_bench.cpp)
target_link_libraries(mode_bench PRIVATE glimmora_runtime glimmora_e2e_driver glimmora_warnings)
target_link_options(mode_bench PRIVATE ${GLIMMORA_TEST_LINK})
add_executable(first_paint WIN32 bench/first_paint.cpp)
target_link_options(first_paint PRIVATE ${GLIMMORA_TEST_LINK})

# The soak run (scripts/soak.sh), built only on request: the whole saver with
# its GDI objects counted and the count shown to the program that watches it.
add_library(glimmora_gdi_counter_shown STATIC EXCLUDE_FROM_ALL tests/win/gdi_counting.cpp)
target_compile_definitions(glimmora_gdi_counter_shown PRIVATE GLIMMORA_PUBLISH_GDI_COUNT)
target_link_libraries(glimmora_gdi_counter_shown PUBLIC gdi32 user32 PRIVATE glimmora_warnings)
add_executable(glimmora_soak WIN32 EXCLUDE_FROM_ALL src/shell/main.cpp src/resources/glimmora.rc)
set_target_properties(glimmora_soak PROPERTIES SUFFIX ".scr")
target_include_directories(glimmora_soak PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(glimmora_soak PRIVATE glimmora_runtime_counted glimmora_gdi_counter_shown glimmora_warnings)
target_link_options(glimmora_soak PRIVATE -static)
add_executable(saver_soak EXCLUDE_FROM_ALL tests/soak/saver_soak.cpp)
target_link_libraries(saver_soak PRIVATE glimmora_e2e_driver glimmora_warnings)
target_link_options(saver_soak PRIVATE ${GLIMMORA_TEST_LINK})
target_compile_definitions(saver_soak PRIVATE GLIMMORA_SOAK_RUNTIME="$<TARGET_FILE:glimmora_soak>")
add_dependencies(saver_soak glimmora_soak)

# The settings dialog's tests. Stand-ins that the tests register in the
# prefix: a help control (ordinal 14 records each popup request) and a
# handler of http and https addresses (records the address it was given).
add_library(help_test_control MODULE tests/e2e/fixtures/help_test_control.cpp
  tests/e2e/fixtures/help_test_control.def)
set_target_properties(help_test_control PROPERTIES PREFIX "")
target_link_libraries(help_test_control PRIVATE advapi32 glimmora_warnings)
target_link_options(help_test_control PRIVATE -static -s)
add_executable(settings_url_handler tests/e2e/fixtures/settings_url_handler.cpp)
target_link_libraries(settings_url_handler PRIVATE advapi32 glimmora_warnings)
target_link_options(settings_url_handler PRIVATE ${GLIMMORA_TEST_LINK})

# The page tests create the runtime's own dialog templates, so they carry its resources.
glimmora_counted_test(wine_settings_pages tests/win/test_settings_pages.cpp src/resources/glimmora.rc)

# The package, password and help loading tests: Wine's own help control is switched off so that loading it by name fails.
target_compile_definitions(wine_shell PRIVATE GLIMMORA_HELP_TEST_CONTROL="$<TARGET_FILE:help_test_control>")
add_dependencies(wine_shell help_test_control)
set_tests_properties(wine_shell PROPERTIES RESOURCE_LOCK help_control_registration
  ENVIRONMENT "WINEDLLOVERRIDES=mscoree,mshtml,hhctrl.ocx=")

glimmora_e2e_test(e2e_settings tests/e2e/test_settings.cpp)
target_compile_definitions(e2e_settings PRIVATE
  GLIMMORA_HELP_TEST_CONTROL="$<TARGET_FILE:help_test_control>"
  GLIMMORA_URL_HANDLER="$<TARGET_FILE:settings_url_handler>")
add_dependencies(e2e_settings help_test_control settings_url_handler)
set_property(TEST e2e_settings APPEND PROPERTY RESOURCE_LOCK help_control_registration)
glimmora_e2e_test32(e2e_settings "the sheet is named after*")
