# Writes the play backdrop's SVG from its template and the tray path, so the drawn track and the path the
# game reads come from the same lines. Run as a script:
#   cmake -DOBJECTS=<game_objects.txt> -DTEMPLATE=<play_backdrop.svg.in> -DOUTPUT=<svg> -DPOINTS=<n>
#         -DEND=<pit_end|stop_end> -P play_backdrop.cmake
# POINTS is how many path points the track runs through (6 in a level, 5 in relax mode); the path points
# are the `marker` lines of the blocks `model path/000.mdl`, `model path/001.mdl`, ... in GUI units
# (y up), in whole units; the SVG's y runs down from the top of the 600-unit screen.
foreach(var OBJECTS TEMPLATE OUTPUT POINTS END)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "play_backdrop.cmake: ${var} is not set")
  endif()
endforeach()

file(STRINGS ${OBJECTS} lines)
set(block "")
foreach(line IN LISTS lines)
  if(line MATCHES "^model path/([0-9][0-9][0-9])\\.mdl")
    set(block ${CMAKE_MATCH_1})
  elseif(line MATCHES "^(model|particles) ")
    set(block "")
  elseif(NOT block STREQUAL "" AND line MATCHES "^ +marker +(-?[0-9]+) +(-?[0-9]+) *$")
    set(point_x_${block} ${CMAKE_MATCH_1})
    set(point_y_${block} ${CMAKE_MATCH_2})
  endif()
endforeach()

set(track "")
set(track_back "")
math(EXPR last "${POINTS} - 1")
foreach(n RANGE 0 ${last})
  if(n LESS 10)
    set(name "00${n}")
  else()
    set(name "0${n}")
  endif()
  if(NOT DEFINED point_x_${name})
    message(FATAL_ERROR "play_backdrop.cmake: no whole-unit marker for path/${name}.mdl in ${OBJECTS}")
  endif()
  set(x ${point_x_${name}})
  # y down from the top of the screen.
  math(EXPR y "600 - ${point_y_${name}}")
  string(APPEND track "${x},${y} ")
  set(track_back "${x},${y} ${track_back}")
  if(n EQUAL 0)
    set(START_X ${x})
    set(START_Y ${y})
  endif()
  set(END_X ${x})
  set(END_Y ${y})
endforeach()
string(STRIP "${track}" TRACK)
string(STRIP "${track_back}" TRACK_BACK)
set(END "<use href=\"#${END}\"/>")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
