# delay_import(<target> <dll> <function>...): links <target> against <dll>
# through a delay-import library, so that Windows loads the DLL only when one
# of the functions is first called instead of at start-up. Each function is
# given with its i686 stdcall argument size (Name@N); the 64-bit library
# takes the plain names.
# CMake finds the toolchain's dlltool along with its other binutils.
if(NOT CMAKE_DLLTOOL)
  message(FATAL_ERROR "dlltool not found: it comes with the MinGW-w64 binutils")
endif()

function(delay_import target dll)
  get_filename_component(name ${dll} NAME_WE)
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${name}-delay.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${name}-delay.a)
  set(exports "")
  foreach(function IN LISTS ARGN)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(REGEX REPLACE "@[0-9]+$" "" function ${function})
    endif()
    string(APPEND exports "  ${function}\n")
  endforeach()
  file(WRITE ${def} "LIBRARY ${dll}\nEXPORTS\n${exports}")
  # --kill-at: the DLL exports the undecorated names that i686 code refers
  # to with their @N decoration.
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
    DEPENDS ${def} VERBATIM)
  add_custom_target(${name}-delay DEPENDS ${lib})
  add_dependencies(${target} ${name}-delay)
  target_link_libraries(${target} PUBLIC ${lib})
endfunction()
