# Tests of the seal and the package's check of its own file.
list(APPEND TELVO_TEST_SOURCES
  integrity/seal_test.cpp
)
