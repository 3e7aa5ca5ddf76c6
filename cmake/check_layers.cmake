# Fails when a source includes a header of a layer it may not use. Run as a build step
# (every library of ours waits for it) and by a test on a tree of its own:
#   cmake -DROOT=<source tree> [-DSTAMP=<file touched on success>] -P check_layers.cmake
#
# The core is a stack: base < crypto < stego < image < document; each library may include
# its own headers and those of the floors listed for it. Nothing in the core includes the
# front ends or wx's window classes; the CLI and the tools use the document's flows, never
# the document class.
cmake_minimum_required(VERSION 3.20)
if(NOT ROOT)
  message(FATAL_ERROR "check_layers: ROOT is not set")
endif()

set(allowed_base base)
set(allowed_crypto base crypto)
set(allowed_stego base crypto stego)
set(allowed_image base stego image)
set(allowed_document base crypto stego image document)
set(front_ends app dialogs cli res tests tools bench fuzz)
# wx headers that need a display or an event loop: the core works without both.
set(gui_headers_regex
    "^wx/(wx|app|window|frame|dialog|msgdlg|filedlg|dirdlg|progdlg|menu|toolbar|statusbr|sizer|panel|button|textctrl|stattext|treectrl|listctrl|dcclient|evtloop|timer)\\.h$")

file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/core/*.h ${ROOT}/core/*.cpp ${ROOT}/cli/*.h ${ROOT}/cli/*.cpp
     ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp)

set(violations "")
foreach(source IN LISTS sources)
  file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  string(REGEX MATCH "^([a-z]+)/([a-z_]+)/" _ ${source})
  set(top ${CMAKE_MATCH_1})
  set(layer ${CMAKE_MATCH_2})
  foreach(line IN LISTS lines)
    string(REGEX MATCH "include[ \t]*[<\"]([^>\"]+)[>\"]" _ "${line}")
    set(header ${CMAKE_MATCH_1})
    set(wrong "")
    if(top STREQUAL "core")
      if(header MATCHES "^core/([a-z_]+)/")
        if(NOT CMAKE_MATCH_1 IN_LIST allowed_${layer})
          set(wrong "core/${layer} may not use core/${CMAKE_MATCH_1}")
        endif()
      elseif(header MATCHES "^([a-z]+)/" AND CMAKE_MATCH_1 IN_LIST front_ends)
        set(wrong "the core may not use ${CMAKE_MATCH_1}/")
      elseif(header MATCHES "${gui_headers_regex}")
        set(wrong "the core may not use wx's windows")
      endif()
    elseif(header STREQUAL "core/document/document.h")
      set(wrong "${top}/ uses the document's flows, not the document")
    endif()
    if(wrong)
      list(APPEND violations "${source}: #include \"${header}\": ${wrong}")
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
