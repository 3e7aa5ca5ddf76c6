find_package(PkgConfig REQUIRED)
pkg_check_modules(CRYPTOPP REQUIRED IMPORTED_TARGET libcrypto++)
if(NOT WIN32)
  # The freedesktop trash; GTK brings GIO anyway.
  pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0)
endif()
find_package(Threads REQUIRED)
# Image decoders that read row by row.
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
if(WIN32)
  # The Windows build links static archives, whose own dependencies (zlib, libjpeg, Winsock) are
  # only in pkg-config's private fields.
  foreach(module IN ITEMS CRYPTOPP TIFF)
    target_link_directories(PkgConfig::${module} INTERFACE ${${module}_STATIC_LIBRARY_DIRS})
    target_link_libraries(PkgConfig::${module} INTERFACE ${${module}_STATIC_LIBRARIES})
  endforeach()
endif()

# wxWidgets as interface targets: the string conversion needs wxBase alone, the image engine
# base+core (wxImage works without a display); the desktop application needs the GUI
# libraries on top.
function(veilmark_wx_target name)
  set(wxWidgets_CONFIGURATION)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS ${ARGN})
  add_library(${name} INTERFACE)
  target_include_directories(${name} SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(${name} INTERFACE ${wxWidgets_DEFINITIONS})
  target_compile_options(${name} INTERFACE ${wxWidgets_CXX_FLAGS})
  target_link_libraries(${name} INTERFACE ${wxWidgets_LIBRARIES})
endfunction()
veilmark_wx_target(veilmark_wx_base base)
veilmark_wx_target(veilmark_wx_core core base)
if(VEILMARK_GUI)
  veilmark_wx_target(veilmark_wx_gui core base)
endif()

if(VEILMARK_TESTS)
  find_package(GTest REQUIRED)
endif()

# The row decoders of PNG and GIF.
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
