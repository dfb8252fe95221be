# The thumbnail benchmark on a folder whose one sheet has no image beside its
# map file: it must end (it once waited for a signal that had come already).
#   cmake -DBENCH=... -DFOLDER=... -P bench-no-images.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
file(WRITE "${FOLDER}/N-37-001.map" "OziExplorer Map Data File Version 2.2\r\nN-37-001\r\nN-37-001.jpg\r\n")
execute_process(COMMAND "${BENCH}" "${FOLDER}" TIMEOUT 60 RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE "${FOLDER}")
if(NOT result STREQUAL "0" OR NOT out MATCHES "sheets 1, with an image 0, thumbnails 0")
  message(FATAL_ERROR "quillmark-bench-thumbnails: ${result}\n${out}${err}")
endif()
