# One static library per subsystem folder; its sources are every .cpp in the folder.
function(add_module_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;SYSTEM_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} ${ARG_SYSTEM_LIBS})
endfunction()

# One GoogleTest program per library: each test process is a Wine process, so fewer is faster.
# POINTER_CASES lists the GoogleTest filter patterns of the cases that place or read the real
# mouse pointer, which every program on the display shares: they run as a second ctest entry,
# <name>_pointer, alone, and the rest of the program runs in parallel with anything. Alone, not
# merely apart from each other: a window of a program running beside them can lie over the
# point they place the pointer on, and would then take the pointer's messages, and a moving
# pointer would reach that program's windows.
function(add_module_tests name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;POINTER_CASES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.rc)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} test_main)
  if(NOT ARG_POINTER_CASES)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    return()
  endif()
  list(JOIN ARG_POINTER_CASES ":" pointer_cases)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no --gtest_filter=-${pointer_cases})
  add_test(NAME ${name}_pointer COMMAND ${name} --gtest_color=no --gtest_filter=${pointer_cases})
  set_tests_properties(${name}_pointer PROPERTIES RUN_SERIAL TRUE)
endfunction()
