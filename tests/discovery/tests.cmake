list(APPEND TELVO_TEST_SOURCES
  discovery/install_location_test.cpp
)
list(APPEND TELVO_TEST_SUPPORT_SOURCES support/saved_registry_value.cpp)
