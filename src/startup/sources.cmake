# Start-up state, registry access, error boxes, Windows identification.
list(APPEND TELVO_PURE_SOURCES
  src/startup/command_line.cpp
  src/startup/windows_identity.cpp
  src/startup/application_error_text.cpp
  src/startup/attendance.cpp
  src/startup/russian_texts.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/startup/message_box.cpp
  src/startup/registry.cpp
  src/startup/identify_windows.cpp
  src/startup/startup_state.cpp
  src/startup/application_error.cpp
  src/startup/safe_loading.cpp
  src/startup/nt_files.cpp
  src/startup/well_known_sids.cpp
  src/startup/code_page.cpp
)
