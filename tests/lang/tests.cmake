# Tests of src/lang.
list(APPEND TELVO_TEST_SOURCES
  lang/lang_text_test.cpp
  lang/lang_unit_test.cpp
)
