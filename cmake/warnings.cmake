# Warnings are on for every target of the project; KORVENA_WERROR (set by CI
# and the test command) makes them errors.
option(KORVENA_WERROR "Treat warnings as errors" OFF)

function(korvena_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(KORVENA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
