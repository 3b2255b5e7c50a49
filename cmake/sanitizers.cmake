# The stand-in and its tests run under AddressSanitizer and
# UndefinedBehaviorSanitizer in the test tree; the demo tree builds it plain.
option(KORVENA_SANITIZE "Build host targets with ASan and UBSan" OFF)

function(korvena_sanitize target)
    if(KORVENA_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
