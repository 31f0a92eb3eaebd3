# The test kit for Windows (scripts/windows-kit): its runner, which run-tests.cmd starts, and the
# counting of GoogleTest's results behind the runner's closing line.
list(APPEND TELVO_TEST_SOURCES kit/result_count_test.cpp kit/result_count.cpp)

add_executable(telvo_kit kit/kit_runner.cpp kit/result_count.cpp)
target_include_directories(telvo_kit PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(telvo_kit PRIVATE telvo_installation advapi32)
target_link_options(telvo_kit PRIVATE ${TELVO_STATIC_LINK})
