# The layer check on a tree of its own: a tree whose includes keep to the layers passes,
# and each wrong-way include below makes it fail naming the file.
#   cmake -DCHECK=<check_layers.cmake> -DDIR=<scratch folder> -P layer_check_test.cmake
cmake_minimum_required(VERSION 3.20)

# file|included header
set(sound
    "core/crypto/cipher.cpp|core/base/text_util.h"
    "core/image/imaging.cpp|core/stego/pixel_grid.h"
    "core/image/codecs.cpp|wx/image.h"
    "core/document/document.cpp|core/image/imaging.h"
    "cli/image_commands.cpp|core/document/flows.h"
    "app/view.cpp|core/document/document.h")
set(wrong
    "core/base/text_util.cpp|core/crypto/cipher.h"
    "core/stego/embed.cpp|core/image/imaging.h"
    "core/image/image_ops.cpp|core/document/command_ids.h"
    "core/image/imaging.h|core/crypto/cipher.h"
    "core/crypto/files.cpp|app/main_frame.h"
    "core/document/document.cpp|dialogs/message_dlg.h"
    "core/document/settings.cpp|wx/window.h"
    "cli/folder_commands.cpp|core/document/document.h")

function(write_tree pairs)
  file(REMOVE_RECURSE ${DIR})
  foreach(pair IN LISTS pairs)
    string(REPLACE "|" ";" parts "${pair}")
    list(GET parts 0 source)
    list(GET parts 1 header)
    file(APPEND ${DIR}/${source} "#include \"${header}\"\n")
  endforeach()
endfunction()

function(run_check result output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${DIR} -P ${CHECK}
                  RESULT_VARIABLE code ERROR_VARIABLE text OUTPUT_VARIABLE text)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

write_tree("${sound}")
run_check(code text)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "a sound tree was refused:\n${text}")
endif()

foreach(pair IN LISTS wrong)
  write_tree("${sound};${pair}")
  run_check(code text)
  string(REPLACE "|" ";" parts "${pair}")
  list(GET parts 0 source)
  if(code EQUAL 0 OR NOT text MATCHES "${source}")
    message(FATAL_ERROR "not caught: ${pair}\n${text}")
  endif()
endforeach()
file(REMOVE_RECURSE ${DIR})
