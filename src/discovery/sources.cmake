# Install location discovery.
list(APPEND TELVO_PURE_SOURCES
  src/discovery/path_rules.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/discovery/install_location.cpp
)
