# The update driver: the update flow, application control and the self-integrity check (the
# entry is main.cpp).
list(APPEND TELVO_PURE_SOURCES
  src/update/sha256.cpp
  src/update/seal.cpp
  src/update/flow_rules.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/update/application_control.cpp
  src/update/self_check.cpp
  src/update/update_flow.cpp
)
