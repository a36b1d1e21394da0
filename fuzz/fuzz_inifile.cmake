prandel_add_fuzz(fuzz_inifile SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_inifile.cpp LIBS platform settings)
