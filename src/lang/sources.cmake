# Sources of src/lang: pure ones (no <windows.h>) and Win32 ones.
list(APPEND TELVO_PURE_SOURCES
  src/lang/lang_text.cpp
  src/lang/lang_folder.cpp
  src/lang/builtin_texts.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/lang/message_texts.cpp
  src/lang/lang_unit.cpp
)
