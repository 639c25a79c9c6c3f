# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source folder includes a header of a folder it must not:
# the window uses the rooms below it; the drill and the wizard use speech,
# the interface, so the drill never reaches the wizard behind it; the leaves
# use none. Run as: cmake -DROOT=<source tree> -P includearrows.cmake
cmake_minimum_required(VERSION 3.25)
set(rooms app drill countdown record speech merlin)
set(allowed_app drill countdown record speech merlin)
set(allowed_drill speech)
set(allowed_countdown "")
set(allowed_record "")
set(allowed_speech "")
set(allowed_merlin speech)
set(faults "")
foreach(room IN LISTS rooms)
  file(GLOB_RECURSE sources ${ROOT}/${room}/*.h ${ROOT}/${room}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      foreach(other IN LISTS rooms)
        if(NOT other STREQUAL room AND NOT other IN_LIST allowed_${room}
           AND line MATCHES "[\"<](\\.\\./)*${other}/")
          list(APPEND faults "${source}: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "includes against the folders' order:\n${text}")
endif()
