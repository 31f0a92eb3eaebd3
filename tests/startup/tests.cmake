list(APPEND TELVO_TEST_SOURCES
  startup/identify_windows_test.cpp
  startup/registry_test.cpp
  startup/startup_state_test.cpp
  startup/application_error_test.cpp
)
