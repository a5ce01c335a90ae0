# yvex_split_debug_info(TARGET): a DLL that hosts load keeps its debugging information in a file of
# its own beside it (NAME.dll.debug, named by the DLL's debug link, which debuggers follow). A
# loader may bring a module's whole image into memory as it loads it, and the debugging sections
# are most of the image: without them every host process is smaller by about as much.
function(yvex_split_debug_info target)
  if(NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
