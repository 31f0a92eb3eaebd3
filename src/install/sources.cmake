# Sources of src/install: the data file writer and the installed size. Pure ones (no
# <windows.h>) and Win32 ones.
list(APPEND TELVO_PURE_SOURCES
  src/install/data_header.cpp
  src/install/folder_walk.cpp
  src/install/write_plan.cpp
)
list(APPEND TELVO_WIN32_SOURCES
  src/install/data_file_writer.cpp
  src/install/writer_lock.cpp
  src/install/writer_seams.cpp
  src/install/folder_size.cpp
  src/install/piece_write.cpp
)
