# LC_SANITIZE=address,undefined (or thread) instruments everything built here.
if(LC_SANITIZE)
    message(STATUS "Sanitizers: ${LC_SANITIZE}")
    add_compile_options(-fsanitize=${LC_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${LC_SANITIZE})
endif()
