# Warnings and sanitizers as INTERFACE targets, linked by our own code only.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE -Wall -Wextra)

option(UPDATER_WERROR "Treat warnings as errors" OFF)
if(UPDATER_WERROR)
  target_compile_options(project_warnings INTERFACE -Werror)
endif()

option(UPDATER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
add_library(project_sanitizers INTERFACE)
if(UPDATER_SANITIZE)
  target_compile_options(project_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(project_sanitizers INTERFACE -fsanitize=address,undefined)
  # The sanitizer defaults that keep the leak check clear of the client
  # library's threads: in programs only.
  add_library(sanitizer_defaults OBJECT ${PROJECT_SOURCE_DIR}/platform/SanitizerDefaults.cpp)
  target_sources(project_sanitizers INTERFACE
    $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:$<TARGET_OBJECTS:sanitizer_defaults>>)
endif()

add_library(project_options INTERFACE)
target_link_libraries(project_options INTERFACE project_warnings project_sanitizers)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})
