# The demonstration program itself.
if(KIT_WINDOWS)
  add_executable(sample WIN32 ${CMAKE_CURRENT_LIST_DIR}/main_window/winmain.cpp ${CMAKE_CURRENT_LIST_DIR}/sample.rc)
  target_link_libraries(sample PRIVATE kit_sample_main_window)
  target_link_options(sample PRIVATE -municode)
endif()
