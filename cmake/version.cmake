# The version as the code sees it: talmo_version.h for the sources, and a
# Windows version resource (file and product version, description) for a
# module, which is what Explorer's Properties and GetFileVersionInfo show.
configure_file(${CMAKE_CURRENT_LIST_DIR}/talmo_version.h.in
  ${PROJECT_BINARY_DIR}/generated/talmo_version.h @ONLY)
add_library(talmo_version INTERFACE)
target_include_directories(talmo_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# talmo_version_resource(target "description" file-name VFT_DLL|VFT_APP)
function(talmo_version_resource target description file_name file_type)
  if(NOT WIN32)
    return()
  endif()
  set(TALMO_RC_DESCRIPTION "${description}")
  set(TALMO_RC_FILE_NAME "${file_name}")
  set(TALMO_RC_FILE_TYPE "${file_type}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
endfunction()
