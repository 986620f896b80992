# Shared build rules: warnings, sanitizers, and one static library per source folder.

add_library(brindlewick_options INTERFACE)
target_compile_options(brindlewick_options INTERFACE
  -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
target_compile_definitions(brindlewick_options INTERFACE $<$<CONFIG:Debug>:BRINDLEWICK_DEBUG=1>)
target_include_directories(brindlewick_options INTERFACE ${PROJECT_SOURCE_DIR})

if(BRINDLEWICK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(BRINDLEWICK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# brindlewick_library(<target> [DEPS <targets>...] [EXCLUDE <file names>...])
# Builds every .cpp file of the current source folder (not its subfolders) into a static library.
function(brindlewick_library target)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_link_libraries(${target} PUBLIC brindlewick_options ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE brindlewick_options ${ARG_DEPS})
  endif()
endfunction()

# brindlewick_test(<name> [DISPLAY] [ENGINE <folders>...] [LIBS <targets>...] [SOURCES <files>...])
# One GoogleTest executable from every .cpp file of the current test folder (or SOURCES). ENGINE names
# the engine folders it needs (core files config ...), linked as one group; LIBS adds other targets.
# DISPLAY marks tests that need an X display (run under Xvfb by scripts/test): their main() installs
# the SDL back end.
function(brindlewick_test name)
  cmake_parse_arguments(ARG "DISPLAY" "" "ENGINE;LIBS;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  if(ARG_ENGINE)
    list(TRANSFORM ARG_ENGINE PREPEND engine_)
    list(JOIN ARG_ENGINE "," group)
    target_link_libraries(${name} PRIVATE "$<LINK_GROUP:RESCAN,${group}>" platform)
  endif()
  target_link_libraries(${name} PRIVATE brindlewick_options ${ARG_LIBS} GTest::gtest GTest::gmock Threads::Threads)
  if(ARG_DISPLAY)
    target_link_libraries(${name} PRIVATE brindlewick_display_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(ARG_DISPLAY)
    # Display tests share one X server and compete for the keyboard focus: they run one at a time.
    set(properties LABELS display RESOURCE_LOCK x_display TIMEOUT 300)
  else()
    set(properties LABELS unit TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()

# Adds every immediate subfolder of the current source folder that has a CMakeLists.txt.
function(brindlewick_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
