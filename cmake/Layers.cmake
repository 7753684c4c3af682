# The layers of the source tree, enforced by the compiler: every library sees its headers through a
# folder of its own in the build tree ("its view") that holds links to its own source folders only. A
# library finds the headers of what it links (its own view, and those of the libraries below it) and
# nothing else, so an include of a higher layer fails to build ("No such file or directory").

set(OBELON_VIEWS ${CMAKE_BINARY_DIR}/layers)

# obelon_layer_view(<target> <folder>...): the target's headers are those of these source folders.
function(obelon_layer_view target)
    set(view ${OBELON_VIEWS}/${target})
    # Links are replaced in place: removing the view recursively could follow them into the sources.
    file(MAKE_DIRECTORY ${view})
    foreach(folder ${ARGN})
        cmake_path(GET folder PARENT_PATH parent)
        if(parent)
            file(MAKE_DIRECTORY ${view}/${parent})
        endif()
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endforeach()
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${view})
    else()
        target_include_directories(${target} PUBLIC ${view})
    endif()
endfunction()

# The platform interfaces are the headers directly in platform/ and platform/ui/; the backends beside
# them (platform/sim, platform/win32) stay out of sight of the logic.
function(obelon_platform_view target)
    set(view ${OBELON_VIEWS}/${target})
    file(MAKE_DIRECTORY ${view}/platform)
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/*.h)
    foreach(header ${headers})
        cmake_path(GET header FILENAME name)
        file(CREATE_LINK ${header} ${view}/platform/${name} SYMBOLIC)
    endforeach()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/platform/ui ${view}/platform/ui SYMBOLIC)
    target_include_directories(${target} INTERFACE ${view})
endfunction()
