# The same commit gives byte-identical programs wherever and whenever it is
# built, so a release engineer can rebuild a deployed file and compare: no link
# time in the PE header, no build or source folder in any name the compiler
# keeps (__FILE__, debug information).
function(korvena_reproducible target)
    # GCC tries the last map first: the build tree lies inside the source tree.
    target_compile_options(${target} PRIVATE
        "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
        "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
    endif()
endfunction()
