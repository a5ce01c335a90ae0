# Third-party libraries built for mingw by tools/thirdparty.sh into the cache outside the tree.
set(YVEX_THIRDPARTY "$ENV{YVEX_THIRDPARTY}" CACHE PATH "Folder of the mingw builds of libtiff and shapelib")
if(NOT YVEX_THIRDPARTY)
  set(YVEX_THIRDPARTY "$ENV{HOME}/.cache/yvex/thirdparty")
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(YVEX_THIRDPARTY "${YVEX_THIRDPARTY}/i686")
endif()
foreach(lib tiff shapelib)
  if(NOT EXISTS "${YVEX_THIRDPARTY}/${lib}/.done")
    message(FATAL_ERROR "${lib} for mingw is missing in ${YVEX_THIRDPARTY}: run tools/setup.sh")
  endif()
endforeach()

add_library(yvex::tiff STATIC IMPORTED GLOBAL)
set_target_properties(yvex::tiff PROPERTIES
  IMPORTED_LOCATION "${YVEX_THIRDPARTY}/tiff/lib/libtiff.a"
  INTERFACE_INCLUDE_DIRECTORIES "${YVEX_THIRDPARTY}/tiff/include")

add_library(yvex::shapelib_core STATIC IMPORTED GLOBAL)
set_target_properties(yvex::shapelib_core PROPERTIES
  IMPORTED_LOCATION "${YVEX_THIRDPARTY}/shapelib/lib/libshp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${YVEX_THIRDPARTY}/shapelib/include")

find_package(ZLIB REQUIRED)
