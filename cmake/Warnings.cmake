# Warnings are errors on our own code only; third-party code keeps its own flags.
function(kivo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
