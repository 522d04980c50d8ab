# Fails when a file of src/ (or of the tools orv-devsim and the benchmarks)
# includes a folder that is not below its own, naming the file and the line;
# also when a Qt-free layer includes a Qt header.
#   cmake -DSOURCE_DIR=<tree> -P CheckLayers.cmake

cmake_minimum_required(VERSION 3.25)

# What each folder may include: itself and the folders below it.
set(below_core core)
set(below_engine core engine)
set(below_media core media)
set(below_overlay core overlay)
set(below_devsim core devsim)
set(below_appcore core engine media overlay devsim appcore)
set(below_ui ${below_appcore} ui)
set(below_mediaui ${below_ui} mediaui)
set(below_overlayui ${below_ui} overlayui)
set(below_documents ${below_ui} mediaui overlayui documents)
set(below_frame ${below_documents} frame)
set(below_demo ${below_frame} demo)
set(below_app ${below_demo} app)
set(below_cli core engine media overlay appcore cli)
set(qt_free core engine media overlay devsim)
# The tools on the Qt-free layers, by their folder under tools/.
set(tool_devsim core devsim)
set(tool_bench core engine devsim)
set(tool_bench-gui ${below_documents} tools/bench)

set(faults "")
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
     ${SOURCE_DIR}/tools/devsim/*.h ${SOURCE_DIR}/tools/devsim/*.cpp
     ${SOURCE_DIR}/tools/bench/*.h ${SOURCE_DIR}/tools/bench/*.cpp
     ${SOURCE_DIR}/tools/bench-gui/*.h ${SOURCE_DIR}/tools/bench-gui/*.cpp)
list(SORT files)
foreach(file ${files})
    string(REGEX MATCH "^(src|tools)/([^/]+)/" ignored ${file})
    set(folder ${CMAKE_MATCH_2})
    if(CMAKE_MATCH_1 STREQUAL "tools")
        set(allowed ${tool_${folder}})
        set(folder "tools/${folder}")
    elseif(DEFINED below_${folder})
        set(allowed ${below_${folder}})
    else()
        string(APPEND faults "${file}: the folder ${folder} is not a known layer\n")
        continue()
    endif()
    list(FIND qt_free ${folder} qt_free_index)
    # One list item per line: the list separator and brackets are masked first.
    file(READ ${SOURCE_DIR}/${file} content)
    string(REGEX REPLACE "[][;]" "_" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"(tools/[^\"/]+|[^\"/]+)/")
            set(included ${CMAKE_MATCH_1})
            if(included STREQUAL folder)
                continue()
            endif()
            if(NOT included IN_LIST allowed)
                string(APPEND faults
                       "${file}:${number}: ${folder} may not include ${included}/ (${line})\n")
            endif()
        elseif(qt_free_index GREATER_EQUAL 0 AND line MATCHES "^[ \t]*#[ \t]*include[ \t]*<Q")
            string(APPEND faults "${file}:${number}: ${folder} is Qt-free (${line})\n")
        endif()
    endforeach()
endforeach()

if(faults)
    message("${faults}")
    message(FATAL_ERROR "These includes break the layers.")
endif()
list(LENGTH files count)
message(STATUS "${count} files keep to their layers")
