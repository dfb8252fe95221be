# The tests' sheet drawer (tests/frame), one library for the frame tests and
# the frame benchmarks; included from both, made once.
if(NOT TARGET quillmark_sheetdrawer)
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  add_library(quillmark_sheetdrawer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/SheetDrawer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrintedSheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StrokeFont.cpp)
  target_include_directories(quillmark_sheetdrawer PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(quillmark_sheetdrawer PUBLIC quillmark_core quillmark_opencv_imgcodecs
    quillmark_opencv_imgproc quillmark_opencv_core Qt6::Gui PRIVATE quillmark_warnings)
endif()
