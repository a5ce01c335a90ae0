# The type library YVEXLib: widl makes the C/C++ header, the identifiers and the .tlb from the IDL.
set(YVEX_IDL ${CMAKE_SOURCE_DIR}/automation/YVEX.idl)
set(YVEX_TLB_DIR ${CMAKE_BINARY_DIR}/automation)
set(YVEX_TLB ${YVEX_TLB_DIR}/YVEX.tlb)
set(YVEX_IDL_H ${YVEX_TLB_DIR}/YVEX_h.h)
set(YVEX_IDL_I ${YVEX_TLB_DIR}/YVEX_i.c)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_widl_arch --win64 -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  # No 32-bit Wine here: the imported stdole2 types are the same in the 64-bit library.
  set(_widl_arch --win32 -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()
set(_widl_inc -I/usr/include/wine/wine/windows -I/usr/${YVEX_TRIPLE}/include)
file(MAKE_DIRECTORY ${YVEX_TLB_DIR})
add_custom_command(
  OUTPUT ${YVEX_IDL_H} ${YVEX_IDL_I} ${YVEX_TLB}
  COMMAND ${YVEX_WIDL} ${_widl_arch} ${_widl_inc} -h -H ${YVEX_IDL_H} -u -U ${YVEX_IDL_I} -t -T ${YVEX_TLB} ${YVEX_IDL}
  DEPENDS ${YVEX_IDL}
  COMMENT "widl YVEX.idl"
  VERBATIM)
add_custom_target(yvex_typelib DEPENDS ${YVEX_IDL_H} ${YVEX_IDL_I} ${YVEX_TLB})
add_library(yvex_typelib_headers INTERFACE)
target_include_directories(yvex_typelib_headers INTERFACE ${YVEX_TLB_DIR})
add_dependencies(yvex_typelib_headers yvex_typelib)
