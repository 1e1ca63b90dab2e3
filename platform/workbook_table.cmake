# The keyword workbook as tables over one connection, its file lock, the
# atomic save and the backup; the format is picked by the file's content.
target_sources(korvan_platform PRIVATE
  workbook/atomic_replace.cpp
  workbook/backup_copy.cpp
  workbook/cell_text.cpp
  workbook/file_lock.cpp
  workbook/open_workbook_file.cpp
  workbook/workbook_table.cpp)
