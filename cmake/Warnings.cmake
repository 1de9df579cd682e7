# Our own code builds warning-free; third-party headers (Qt, GoogleTest) are system includes.
function(tarvex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
