# Warning set and sanitizer flags shared by every target of the project.

if(OBR9_SANITIZE)
    set(_obr9_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${_obr9_san})
    add_link_options(${_obr9_san})
endif()

function(obr9_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(OBR9_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
