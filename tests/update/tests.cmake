# Tests of src/update.
list(APPEND TELVO_TEST_SOURCES
)
