# The update driver: the update flow and application control (the entry is main.cpp).
list(APPEND TELVO_PURE_SOURCES
  src/update/flow_rules.cpp
  src/update/start_rights.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/update/application_control.cpp
  src/update/com_security.cpp
  src/update/desktop_shell.cpp
  src/update/lowered_start.cpp
  src/update/update_flow.cpp
)
