# Install location discovery.
list(APPEND TELVO_PURE_SOURCES
  src/discovery/path_rules.cpp
)
