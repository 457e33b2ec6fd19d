# End-to-end tests: the real program under Xvfb, driven from outside.
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/tests/e2e)
