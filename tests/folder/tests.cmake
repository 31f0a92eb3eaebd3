# Tests of src/folder.
list(APPEND TELVO_TEST_SOURCES
  folder/install_directory_test.cpp
)
