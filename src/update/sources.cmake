# Sources of src/update: pure ones (no <windows.h>) and Win32 ones.
list(APPEND TELVO_PURE_SOURCES
)
list(APPEND TELVO_WIN32_SOURCES
)
