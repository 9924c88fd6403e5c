# `cmake --install` into a fresh temporary prefix: the programs, the help pages,
# the desktop entry and the icon must be where a Linux desktop looks for them.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(f bin/norvadex bin/norvadex-cli share/norvadex/help/index.htm
          share/norvadex/help/help/mainhelp.htm share/applications/norvadex.desktop
          share/icons/hicolor/scalable/apps/norvadex.svg)
    if(NOT EXISTS "${PREFIX}/${f}")
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()
file(READ "${PREFIX}/share/norvadex/help/index.htm" page)
string(FIND "${page}" "@PROJECT_VERSION@" at)
if(NOT at LESS 0)
    message(FATAL_ERROR "the help pages lack the version")
endif()
file(READ "${PREFIX}/share/applications/norvadex.desktop" entry)
foreach(line "Type=Application" "Exec=norvadex" "Icon=norvadex")
    string(FIND "${entry}" "\n${line}\n" at)
    if(at LESS 0)
        message(FATAL_ERROR "the desktop entry lacks ${line}")
    endif()
endforeach()
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/norvadex.svg" icon)
string(FIND "${icon}" "<svg" at)
if(at LESS 0)
    message(FATAL_ERROR "the icon is no SVG picture")
endif()
file(REMOVE_RECURSE "${PREFIX}")
