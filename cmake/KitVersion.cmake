# The kit's one version, set by project() in the top CMakeLists.txt: a header
# for the version resources, and a file that the packaging script reads.
set(KIT_VERSION_DIR ${CMAKE_BINARY_DIR}/generated)
set(KIT_VERSION_HEADER ${KIT_VERSION_DIR}/kit_version.h)
configure_file(${KIT_SOURCE_DIR}/packaging/kit_version.h.in ${KIT_VERSION_HEADER} @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/kit-version.txt "${PROJECT_VERSION}\n")
include_directories(${KIT_VERSION_DIR})
