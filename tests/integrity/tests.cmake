# Tests of the seal and the package's check of its own file.
list(APPEND TELVO_TEST_SOURCES
  integrity/seal_test.cpp
)
# The digest test compares against xxHash's own one-call function.
set_source_files_properties(integrity/seal_test.cpp PROPERTIES
  INCLUDE_DIRECTORIES ${TELVO_XXHASH_INCLUDE_DIR})
