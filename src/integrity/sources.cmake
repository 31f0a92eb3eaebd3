# The self-integrity check: the seal layout and its digest (pure), and the package's check of
# its own file. The slot itself (seal_slot.cpp) goes into the package only.
list(APPEND TELVO_PURE_SOURCES
  src/integrity/seal_hash.cpp
  src/integrity/seal.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/integrity/self_check.cpp
)
