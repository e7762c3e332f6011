# What every build of the game shares with its packages: the version (set once, in the
# project() line), the release date (the top entry of the Debian change log, which must
# name that version), the licence file, and flags that keep build folders and times out
# of what is shipped.

# The change log is written by hand; a version without its entry is a mistake to stop on.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog changelog_lines LIMIT_COUNT 40)
list(GET changelog_lines 0 changelog_top)
if(NOT changelog_top MATCHES "^sidescroller \\(([^)]+)\\)")
    message(FATAL_ERROR "packaging/changelog: cannot read the top entry: ${changelog_top}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog's top entry is ${CMAKE_MATCH_1}, the project "
            "is ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION} (dch -v).")
endif()
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
        set(day ${CMAKE_MATCH_1})
        set(month_name ${CMAKE_MATCH_2})
        set(year ${CMAKE_MATCH_3})
        break()
    endif()
endforeach()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${month_name}" month)
if(NOT DEFINED year OR month LESS 0)
    message(FATAL_ERROR "packaging/changelog: the top entry has no date line")
endif()
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${day}" day_length)
string(LENGTH "${month}" month_length)
if(day_length EQUAL 1)
    set(day 0${day})
endif()
if(month_length EQUAL 1)
    set(month 0${month})
endif()
set(SIDESCROLLER_RELEASE_DATE ${year}-${month}-${day})

# The generated header that gives the programs their version.
configure_file(${CMAKE_SOURCE_DIR}/app/version.h.in ${CMAKE_BINARY_DIR}/generated/app/version.h
               @ONLY)
set(SIDESCROLLER_GENERATED_INCLUDE ${CMAKE_BINARY_DIR}/generated)

# Every package carries this file; builds of other kinds (the web site) take it from here.
set(SIDESCROLLER_LICENSE_FILE ${CMAKE_SOURCE_DIR}/LICENSE)

# A release build gives the same bytes wherever and whenever it is built: no source or build
# folder in the file names the compiler writes (macros, debug information), no link time.
# Only there: other builds keep the full paths that debuggers and coverage tools look for.
foreach(folder ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
    add_compile_options($<$<CONFIG:Release>:-fmacro-prefix-map=${folder}/=>
                        $<$<CONFIG:Release>:-fdebug-prefix-map=${folder}/=>)
endforeach()
if(WIN32)
    add_link_options(-Wl,--no-insert-timestamp)
endif()
