# Tests of src/install.
list(APPEND TELVO_TEST_SOURCES
  install/folder_size_test.cpp
  install/data_file_writer_test.cpp
  install/piece_write_test.cpp
)
list(APPEND TELVO_TEST_SUPPORT_SOURCES support/install_files.cpp)

# telvo_tests carries a small payload of its own (the writer looks in the running program's
# resources): the real header, an odd size, pseudo-random bytes.
telvo_carried_resource(telvo_test_payload_resource
  FILE ${CMAKE_CURRENT_BINARY_DIR}/telvo_test_payload/vost.cok
  BASE_NAME vost EXTENSION cok VERSION 46 LAY_OUT_SIZE 1234567)
list(APPEND TELVO_TEST_SOURCES $<TARGET_OBJECTS:telvo_test_payload_resource>)

# Holds a file open from another process.
add_executable(install_file_holder support/install_file_holder.cpp)
target_link_libraries(install_file_holder PRIVATE telvo_core)
target_link_options(install_file_holder PRIVATE ${TELVO_STATIC_LINK})
list(APPEND TELVO_TEST_PROGRAMS install_file_holder)

# The full carried file, linked as in the package (one-page file alignment, so Wine maps it
# lazily).
add_executable(telvo_payload_tests install/full_payload_test.cpp)
target_link_libraries(telvo_payload_tests PRIVATE telvo_test_support gtest_main
                                                  telvo_payload_resource)
target_include_directories(telvo_payload_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_options(telvo_payload_tests PRIVATE ${TELVO_STATIC_LINK} -Wl,--file-alignment,4096)
add_dependencies(telvo_payload_tests install_file_holder)

# A small tmpfs (disk full) and a read-only one as drives T: and R: of the 64-bit prefix.
set(install_drives ${CMAKE_BINARY_DIR}/install-drives)
add_test(NAME install_drives_up
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-test-drives up ${install_drives} ${PREFIX64})
set_tests_properties(install_drives_up PROPERTIES FIXTURES_SETUP install_drives
                                                  FIXTURES_REQUIRED wine)
add_test(NAME install_drives_down
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-test-drives down ${install_drives} ${PREFIX64})
set_tests_properties(install_drives_down PROPERTIES FIXTURES_CLEANUP install_drives)
telvo_wine_test(install_full_payload ${PREFIX64} C.UTF-8 telvo_payload_tests --gtest_brief=1)
set_property(TEST install_full_payload APPEND PROPERTY FIXTURES_REQUIRED install_drives)

# The build's header check refuses a file that contradicts the stamped version, saying why.
add_test(NAME install_header_check_refuses
         COMMAND ${TELVO_PAYLOAD_TOOL} check ${CMAKE_CURRENT_BINARY_DIR}/telvo_test_payload/vost.cok
                 vost 47)
set_tests_properties(install_header_check_refuses PROPERTIES
  PASS_REGULAR_EXPRESSION "does not match the package's identity.*stands for version 46, not 47")

# A data file name whose base cannot be the four-byte header is refused when CMake configures,
# before anything is compiled.
add_test(NAME install_data_name_refused
         COMMAND ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -B ${CMAKE_BINARY_DIR}/data-name-refused
                 -DTELVO_BUILD_TESTS=OFF -DTELVO_DATA_NAME=vostok.cok)
set_tests_properties(install_data_name_refused PROPERTIES
  PASS_REGULAR_EXPRESSION "TELVO_DATA_NAME \"vostok.cok\" must have a base name")
