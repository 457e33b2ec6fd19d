# Each folder of the program is one static library. A library sees the headers
# of its own folder and of the libraries it links, each by its path from the
# root ("session/session.h"), and no others: a lower layer that includes a
# header of a higher one fails to compile, and one that calls into it fails to
# link.
function(kestrix_library name folder)
  add_library(${name} STATIC ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
endfunction()
