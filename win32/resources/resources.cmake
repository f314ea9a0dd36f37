# Icon, application manifest and version resource of a Windows program; the version is that of
# project().
#
#   add_program_resources(TARGET RC_FILE)
function(add_program_resources target rc)
  configure_file(${PROJECT_SOURCE_DIR}/win32/resources/version.h.in
                 ${PROJECT_BINARY_DIR}/win32/resources/version.h @ONLY)
  target_sources(${target} PRIVATE ${rc})
  target_include_directories(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:RC>:${PROJECT_SOURCE_DIR};${PROJECT_BINARY_DIR}/win32/resources>)
  if(MSVC)
    # The manifest comes from the .rc; the linker's own would be a second one.
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
