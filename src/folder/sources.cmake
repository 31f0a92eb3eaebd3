# Sources of src/folder: the install folder, opened once per run, and everything acted on through
# that handle. Pure ones (no <windows.h>) and Win32 ones.
list(APPEND TELVO_PURE_SOURCES
  src/folder/folder_rules.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/folder/install_directory.cpp
  src/folder/file_calls.cpp
  src/folder/file_identity.cpp
  src/folder/folder_seams.cpp
)
