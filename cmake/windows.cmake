# Windows builds: the runtime (.scr), and under x86_64 the tests that run in Wine.

enable_language(RC)
configure_file(src/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

# msimg32 is no static import: Windows 95 and NT 4.0 have no such library
# (src/shell/system_entries.cpp looks it up).
set(GLIMMORA_WIN_LIBS comctl32 shell32 advapi32 user32 gdi32 kernel32)

# Everything of the runtime but its entry, so that the Wine tests can call it.
set(GLIMMORA_RUNTIME_SOURCES
  src/engine/bounce_mode.cpp
  src/engine/drip_mode.cpp
  src/engine/fade_mode.cpp
  src/engine/falling_mode.cpp
  src/engine/logo_surface.cpp
  src/engine/plain_mode.cpp
  src/engine/saver_window.cpp
  src/engine/static_mode.cpp
  src/package/package_reader.cpp
  src/package/settings_store.cpp
  src/settings_ui/link_label.cpp
  src/settings_ui/settings_page.cpp
  src/settings_ui/settings_preview.cpp
  src/settings_ui/settings_sheet.cpp
  src/shell/entry.cpp
  src/shell/help_popup.cpp
  src/shell/host_window.cpp
  src/shell/password.cpp
  src/shell/settings_dialog_entry.cpp
  src/shell/system_entries.cpp)
add_library(glimmora_runtime STATIC ${GLIMMORA_RUNTIME_SOURCES})
target_link_libraries(glimmora_runtime PUBLIC glimmora_core ${GLIMMORA_WIN_LIBS} PRIVATE glimmora_warnings)

# Built for size. No -fdata-sections: with it MinGW's compiler stores even
# zero-filled variables in the file. No errno from sqrt: it compiles to the
# processor's instruction instead of a call into the C library.
set(GLIMMORA_RUNTIME_FLAGS -fno-exceptions -fno-rtti -ffunction-sections -fno-math-errno)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # 32-bit Windows unwinds through SEH frames, not tables; without this, the
  # table entries keep every unused function alive past --gc-sections. 64-bit
  # Windows needs its tables (.pdata, .xdata) to dispatch exceptions at all.
  list(APPEND GLIMMORA_RUNTIME_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables)
  # The compiler's default is the Pentium Pro: its cmov, fcmov and fcomi
  # would stop the saver on a Pentium, Pentium MMX, K5, K6 or early C3 with
  # an illegal instruction. x87 arithmetic as before; the native32 preset
  # builds the platform-free code with the same flags.
  list(APPEND GLIMMORA_RUNTIME_FLAGS -march=i586)
endif()
target_compile_options(glimmora_core PRIVATE ${GLIMMORA_RUNTIME_FLAGS})
target_compile_options(glimmora_runtime PRIVATE ${GLIMMORA_RUNTIME_FLAGS})

add_executable(glimmora WIN32 src/shell/main.cpp src/resources/glimmora.rc)
set_target_properties(glimmora PROPERTIES SUFFIX ".scr")
target_include_directories(glimmora PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_options(glimmora PRIVATE ${GLIMMORA_RUNTIME_FLAGS})
target_link_libraries(glimmora PRIVATE glimmora_runtime glimmora_warnings)
# No C runtime start-up (src/shell/main.cpp has the entry); libgcc's helpers
# (64-bit division, stack probes) are linked in, msvcrt.dll gives the rest.
target_link_options(glimmora PRIVATE -nostartfiles -static -s -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat)
set_source_files_properties(src/resources/glimmora.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/src/resources/glimmora.ico;${CMAKE_SOURCE_DIR}/src/resources/glimmora.manifest")

# Both runtimes are checked without running them: format, subsystem, imports,
# no static constructors; the shipped 32-bit one also for its size.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(GLIMMORA_PE_MAGIC PE32)
  set(GLIMMORA_PE_LIMIT 65536)
else()
  set(GLIMMORA_PE_MAGIC PE32+)
  set(GLIMMORA_PE_LIMIT 0)
endif()
add_test(NAME runtime_pe_structure
  COMMAND ${CMAKE_SOURCE_DIR}/tests/static/check_pe.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:glimmora> ${GLIMMORA_PE_MAGIC}
    ${GLIMMORA_PE_LIMIT} ${CMAKE_SOURCE_DIR}/tests/static/system_imports.list $<TARGET_OBJECTS:glimmora> $<TARGET_FILE:glimmora_runtime> $<TARGET_FILE:glimmora_core>
  COMMAND_EXPAND_LISTS)
set_tests_properties(runtime_pe_structure PROPERTIES LABELS static)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  include(cmake/wine_tests.cmake)
endif()
