# Tests of src/lang.
list(APPEND TELVO_TEST_SOURCES
  lang/lang_unit_test.cpp
)
