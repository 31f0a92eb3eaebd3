# Tests of src/install.
list(APPEND TELVO_TEST_SOURCES
)
