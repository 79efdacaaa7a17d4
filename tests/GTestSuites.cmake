# Read by ctest before it runs anything: one test per GoogleTest suite of a test program, taken
# from the program itself, so the list always matches the build. Each suite runs in one process;
# starting a process per test costs more than most tests under the sanitizers.
#
# Set by the including file: ORB_SUITES_PROGRAM, ORB_SUITES_PROPERTIES (a list of property names
# and values for set_tests_properties).
if(NOT EXISTS "${ORB_SUITES_PROGRAM}")
    get_filename_component(missing "${ORB_SUITES_PROGRAM}" NAME)
    add_test("${missing}_NOT_BUILT" "${missing}_NOT_BUILT")
    return()
endif()
execute_process(COMMAND "${ORB_SUITES_PROGRAM}" --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ORB_SUITES_PROGRAM} --gtest_list_tests failed: ${status}")
endif()
get_filename_component(program "${ORB_SUITES_PROGRAM}" NAME)
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
    # A suite's line is its name and a dot, perhaps followed by a comment; tests are indented.
    if(line MATCHES "^([^ #][^ ]*)\\.")
        set(suite "${CMAKE_MATCH_1}")
        # Named after the program too: two programs may have suites of one name.
        add_test("${program}:${suite}" "${ORB_SUITES_PROGRAM}" "--gtest_filter=${suite}.*")
        set_tests_properties("${program}:${suite}" PROPERTIES ${ORB_SUITES_PROPERTIES})
    endif()
endforeach()
