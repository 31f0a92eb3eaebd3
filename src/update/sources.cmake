# The update driver: application control and the update flow (the entry is main.cpp).
list(APPEND TELVO_PURE_SOURCES
)
list(APPEND TELVO_WIN32_SOURCES
  src/update/application_control.cpp
)
