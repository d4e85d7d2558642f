# quillory_library(name) builds every .cpp of the calling folder into a static
# library, so a new source file only needs to be added to the folder.
function(quillory_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# quillory_tests(name LIBS...) builds the .cpp files of the calling folder's
# tests/ into one GoogleTest executable run under Wine by ctest.
function(quillory_tests name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} gtest gtest_main)
  quillory_add_test(${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# quillory_add_test(target) runs the GoogleTest program target under Wine
# through scripts/run-test-program.sh, which gives it a network namespace,
# a Wine prefix and a display of its own where the machine allows it.
function(quillory_add_test target)
  add_test(NAME ${target} COMMAND "${CMAKE_SOURCE_DIR}/scripts/run-test-program.sh" $<TARGET_FILE:${target}>
                                  --gtest_color=no)
endfunction()

# quillory_test_uses_standin(test) starts a stand-in server of the test's
# own (standins/server/) before it and stops it after it.
function(quillory_test_uses_standin test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
               "QUILLORY_STANDIN_STATE=${CMAKE_CURRENT_BINARY_DIR}/standin-${test}")
endfunction()

# quillory_resource_dll(target "File Name.dll" script.rc [DEPENDS files...])
# builds a resource-only DLL (no code, no entry point) from a UTF-8 resource
# script into the calling folder's binary folder; DEPENDS lists the files the
# script includes.
function(quillory_resource_dll target dll_name rc_file)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  get_filename_component(rc_path "${rc_file}" ABSOLUTE)
  set(object "${CMAKE_CURRENT_BINARY_DIR}/${target}.res.o")
  set(dll "${CMAKE_CURRENT_BINARY_DIR}/${dll_name}")
  add_custom_command(OUTPUT "${object}"
    COMMAND ${CMAKE_RC_COMPILER} -c 65001 -I "${CMAKE_SOURCE_DIR}" -I "${CMAKE_CURRENT_SOURCE_DIR}"
            -i "${rc_path}" -o "${object}"
    DEPENDS "${rc_path}" ${ARG_DEPENDS} VERBATIM)
  add_custom_command(OUTPUT "${dll}"
    COMMAND ${CMAKE_C_COMPILER} -shared -nostdlib -Wl,-e,0 -o "${dll}" "${object}"
    DEPENDS "${object}" VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${dll}")
  set_target_properties(${target} PROPERTIES QUILLORY_DLL "${dll}")
endfunction()

# quillory_copy_resource_dlls(target dll_target...) copies the DLLs of the
# given quillory_resource_dll targets beside target's output after each build.
function(quillory_copy_resource_dlls target)
  # A target of its own, run at every build: a changed module reaches the
  # tests even when the test program itself is not linked again. One such
  # target per module and folder, shared by the programs of that folder:
  # two copies of one file into one folder at once would fail.
  get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT folder)
    get_target_property(folder ${target} BINARY_DIR)
  endif()
  file(RELATIVE_PATH place "${CMAKE_BINARY_DIR}" "${folder}")
  string(MAKE_C_IDENTIFIER "${place}" place)
  foreach(dll_target ${ARGN})
    set(copy ${dll_target}_beside_${place})
    if(NOT TARGET ${copy})
      get_target_property(dll ${dll_target} QUILLORY_DLL)
      add_custom_target(${copy} ALL ${CMAKE_COMMAND} -E copy_if_different "${dll}" "${folder}"
                        COMMENT "Language module ${dll_target} beside the programs of ${place}" VERBATIM)
      add_dependencies(${copy} ${dll_target})
    endif()
    add_dependencies(${target} ${copy})
  endforeach()
endfunction()
