list(APPEND TELVO_TEST_SOURCES
  discovery/path_rules_test.cpp
)
