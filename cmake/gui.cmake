include(GNUInstallDirs)

# The windows: one static library holding every window and its operations, so
# the program and the GUI tests link the same code.
set(KESTRIX_GUI_DIRS app filelist options folderchooser about)
set(KESTRIX_GUI_SOURCES)
foreach(dir IN LISTS KESTRIX_GUI_DIRS)
  file(GLOB dir_sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  list(APPEND KESTRIX_GUI_SOURCES ${dir_sources})
endforeach()
list(REMOVE_ITEM KESTRIX_GUI_SOURCES ${CMAKE_SOURCE_DIR}/app/main.cpp)

add_library(kestrix_gui STATIC ${KESTRIX_GUI_SOURCES})
target_include_directories(kestrix_gui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrix_gui PUBLIC kestrix_engine kestrix_platform kestrix_session Qt6::Widgets Qt6::Svg)
target_compile_definitions(kestrix_gui PUBLIC KESTRIX_VERSION="${PROJECT_VERSION}")

# An installed copy keeps its settings in the user's configuration folder; it
# knows itself by the folder it runs from: the install prefix's, or the
# Debian package's (cmake/packaging.cmake).
set(KESTRIX_PACKAGE_PREFIX /usr)
set_source_files_properties(${CMAKE_SOURCE_DIR}/app/settings_location.cpp PROPERTIES COMPILE_DEFINITIONS
  "KESTRIX_INSTALL_FOLDERS=\"${CMAKE_INSTALL_FULL_BINDIR}:${KESTRIX_PACKAGE_PREFIX}/${CMAKE_INSTALL_BINDIR}\"")

# Tool bar, menu and program artwork, reachable as ":/icons/NAME.svg".
file(GLOB KESTRIX_ARTWORK CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.svg)
qt_add_resources(kestrix_gui kestrix_artwork
  PREFIX "/"
  BASE ${CMAKE_SOURCE_DIR}/resources
  FILES ${KESTRIX_ARTWORK})

add_executable(kestrix ${CMAKE_SOURCE_DIR}/app/main.cpp)
target_link_libraries(kestrix PRIVATE kestrix_gui)
install(TARGETS kestrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
