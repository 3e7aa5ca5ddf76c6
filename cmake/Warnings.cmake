# Strict warnings for our own targets only; third-party headers come in as SYSTEM.
add_library(veilmark_warnings INTERFACE)
target_compile_options(veilmark_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Werror)

add_library(veilmark_sanitizers INTERFACE)
if(VEILMARK_SANITIZE AND VEILMARK_TSAN)
  message(FATAL_ERROR "VEILMARK_SANITIZE and VEILMARK_TSAN cannot be combined")
endif()
if(VEILMARK_SANITIZE)
  target_compile_options(veilmark_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(veilmark_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
if(VEILMARK_TSAN)
  target_compile_options(veilmark_sanitizers INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(veilmark_sanitizers INTERFACE -fsanitize=thread)
endif()

# Every target of ours links this: warnings plus the chosen sanitizer.
add_library(veilmark_options INTERFACE)
target_link_libraries(veilmark_options INTERFACE veilmark_warnings veilmark_sanitizers)
