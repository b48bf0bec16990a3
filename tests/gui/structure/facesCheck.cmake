# Keeps the windows speaking upward through their faces: run as
#   cmake -DSOURCE_DIR=<checkout> -P facesCheck.cmake
# and fails, naming each file and line, when
#   - a file of a family of windows (gui/rooms, gui/contacts, gui/profiles, gui/sites) includes
#     gui/mainFrame.h or names MainFrame at all;
#   - a file of gui/ other than the main window's own (gui/mainFrame*) casts to MainFrame;
#   - gui/contacts and gui/profiles include each other (each may include the other one way only).
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(faults "")

# Appends to `faults` each line of `file` that matches `regex`, with `what` said of it.
function(find_lines file regex what)
  file(STRINGS ${file} lines REGEX "${regex}")
  file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    set(faults "${faults}\n  ${shown}: ${what}: ${line}")
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

set(cast "_cast[ \t]*<[ \t]*MainFrame[ \t]*\\*|\\([ \t]*MainFrame[ \t]*\\*[ \t]*\\)")
file(GLOB_RECURSE gui_files ${SOURCE_DIR}/gui/*.h ${SOURCE_DIR}/gui/*.cpp)
foreach(file IN LISTS gui_files)
  file(RELATIVE_PATH relative ${SOURCE_DIR} ${file})
  if(relative MATCHES "^gui/(rooms|contacts|profiles|sites)/")
    find_lines(${file} "#[ \t]*include[ \t]*[\"<]gui/mainFrame\\.h[\">]" "includes the main window")
    find_lines(${file} "(^|[^A-Za-z0-9_])MainFrame([^A-Za-z0-9_]|$)" "names the main window")
  elseif(NOT relative MATCHES "^gui/mainFrame[A-Za-z]*\\.(h|cpp)$")
    find_lines(${file} "${cast}" "casts to the main window")
  endif()
endforeach()

# The include lines of one family that name a file of another.
function(includes_of from to result)
  file(GLOB_RECURSE files ${SOURCE_DIR}/gui/${from}/*.h ${SOURCE_DIR}/gui/${from}/*.cpp)
  set(faults "")
  foreach(file IN LISTS files)
    find_lines(${file} "#[ \t]*include[ \t]*[\"<]gui/${to}/" "includes gui/${to}")
  endforeach()
  set(${result} "${faults}" PARENT_SCOPE)
endfunction()

includes_of(contacts profiles contacts_up)
includes_of(profiles contacts profiles_down)
if(contacts_up AND profiles_down)
  set(faults "${faults}\n  gui/contacts and gui/profiles include each other:${contacts_up}${profiles_down}")
endif()

if(faults)
  message(FATAL_ERROR "The windows reach past their faces:${faults}")
endif()
list(LENGTH gui_files count)
message(STATUS "${count} files of gui/ checked: every family speaks to the main window through its face")
