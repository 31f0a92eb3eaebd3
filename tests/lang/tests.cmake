# Tests of src/lang.
list(APPEND TELVO_TEST_SOURCES
)
