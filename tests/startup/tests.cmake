list(APPEND TELVO_TEST_SOURCES
  startup/command_line_test.cpp
  startup/windows_identity_test.cpp
  startup/registry_test.cpp
  startup/startup_state_test.cpp
  startup/application_error_test.cpp
)
