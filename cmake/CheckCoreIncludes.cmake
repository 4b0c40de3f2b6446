# Fails when a file of tvcore includes what tvcore must do without: a Qt
# Widgets or Qt Multimedia header (any name found in FORBIDDEN_HEADER_DIRS,
# or one spelled with its module's folder), QProcess, or a project header
# from a folder outside CORE_FOLDERS (the tutor's process state, its
# screens, the widgets, the tool). Writes STAMP when every file passes.
#   cmake -DFILES=a.cpp;b.h -DCORE_FOLDERS=audio;views -DFORBIDDEN_HEADER_DIRS=...
#         -DSTAMP=file -P CheckCoreIncludes.cmake
set(forbidden_names QProcess qprocess.h)
foreach(dir IN LISTS FORBIDDEN_HEADER_DIRS)
    file(GLOB headers RELATIVE ${dir} ${dir}/*)
    list(APPEND forbidden_names ${headers})
endforeach()

set(problems "")
foreach(file IN LISTS FILES)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
            continue()
        endif()
        set(bracket "${CMAKE_MATCH_1}")
        set(header "${CMAKE_MATCH_2}")
        set(bad FALSE)
        if(header MATCHES "^Qt(Widgets|Multimedia[A-Za-z]*)/" OR header MATCHES "^QtCore/(QProcess|qprocess.h)$")
            set(bad TRUE)
        elseif(bracket STREQUAL "<")
            list(FIND forbidden_names "${header}" found)
            if(NOT found EQUAL -1)
                set(bad TRUE)
            endif()
        elseif(header MATCHES "^([^/]+)/")
            list(FIND CORE_FOLDERS "${CMAKE_MATCH_1}" found)
            if(found EQUAL -1)
                set(bad TRUE)
            endif()
        endif()
        if(bad)
            string(APPEND problems "  ${file}: ${line}\n")
        endif()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "tvcore must include no widget, multimedia or process header and no "
                        "header from outside its folders:\n${problems}")
endif()
file(WRITE ${STAMP} "")
