# Packaging tests: the installed tree, the Debian package and lintian's view of
# it, and (only where the tests run as root) installing that package and
# running the installed program.
set(KESTRIX_PACKAGING_TESTS ${CMAKE_SOURCE_DIR}/tests/packaging)
set(KESTRIX_DEB_DIR ${CMAKE_BINARY_DIR}/packaging-test)

# Both install the build tree; cmake --install rewrites the build folder's
# install manifest, so they take turns.
add_test(NAME packaging_install_tree
         COMMAND bash ${KESTRIX_PACKAGING_TESTS}/install_tree_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(packaging_install_tree PROPERTIES
                     TIMEOUT 120 LABELS packaging RESOURCE_LOCK kestrix_install_manifest)

add_test(NAME packaging_deb_build
         COMMAND bash ${KESTRIX_PACKAGING_TESTS}/deb_build_test.sh ${CMAKE_BINARY_DIR} ${KESTRIX_DEB_DIR}
                 ${PROJECT_VERSION})
set_tests_properties(packaging_deb_build PROPERTIES
                     TIMEOUT 300 LABELS packaging RESOURCE_LOCK kestrix_install_manifest
                     FIXTURES_SETUP kestrix_deb)

add_test(NAME packaging_deb_lintian
         COMMAND bash ${KESTRIX_PACKAGING_TESTS}/deb_lintian_test.sh ${KESTRIX_DEB_DIR})
set_tests_properties(packaging_deb_lintian PROPERTIES
                     TIMEOUT 300 LABELS packaging FIXTURES_REQUIRED kestrix_deb)

# Installs the package on this machine and removes it again: root only.
add_test(NAME packaging_deb_install
         COMMAND bash ${KESTRIX_PACKAGING_TESTS}/deb_install_test.sh ${KESTRIX_DEB_DIR})
set_tests_properties(packaging_deb_install PROPERTIES
                     TIMEOUT 900 LABELS packaging FIXTURES_REQUIRED kestrix_deb SKIP_RETURN_CODE 77
                     RESOURCE_LOCK x_server)
