# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles through ccache when it is installed, unless another launcher was chosen on the
# command line or QUARNEL_CCACHE is OFF. The settings travel with the launcher, so that every way
# of building (the presets, the scripts, an IDE) shares one cache:
#   CCACHE_BASEDIR    paths below the source folder are hashed relative to it, so a fresh clone
#                     in another folder finds the objects of this one;
#   CCACHE_NOHASHDIR  the build folder is left out of the hash of -g objects (the same reason);
#   CCACHE_SLOPPINESS what ccache asks for before it caches a compile that uses a precompiled
#                     header (the test suite's): pch_defines, as it cannot compare the macros the
#                     header was made with, and time_macros, as it cannot see whether the header
#                     uses __DATE__ or __TIME__ (none of ours do).
option(QUARNEL_CCACHE "Compile through ccache when it is installed" ON)
# A launcher that is ccache alone (as earlier set-ups stored it) is replaced by the full one.
if(NOT QUARNEL_CCACHE OR (CMAKE_CXX_COMPILER_LAUNCHER AND NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache$"))
    return()
endif()
find_program(QUARNEL_CCACHE_PROGRAM ccache)
if(NOT QUARNEL_CCACHE_PROGRAM)
    message(STATUS "ccache not found: every build compiles from scratch (apt-get install ccache)")
    return()
endif()
set(CMAKE_CXX_COMPILER_LAUNCHER
    ${CMAKE_COMMAND} -E env
    CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
    CCACHE_NOHASHDIR=1
    CCACHE_SLOPPINESS=pch_defines,time_macros
    ${QUARNEL_CCACHE_PROGRAM})
