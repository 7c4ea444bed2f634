# Warnings for the project's own targets; call pcshop_warnings(target).
function(pcshop_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wunused -Woverloaded-virtual
    -Wnull-dereference -Wformat=2)
  if(PCSHOP_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
