# The software-centre metadata of each window program, configured from
# wubble.metainfo.xml.in. Its id is the homepage's host turned around
# (wubble.example.org gives org.example.wubble), so that the id, the
# homepage and the screenshots' addresses move together; the screenshots are
# the README's, under the homepage's docs/.
set(WUBBLE_HOMEPAGE "https://wubble.example.org" CACHE STRING
  "The project's web address, with the README's docs/ folder under it")
if(NOT WUBBLE_HOMEPAGE MATCHES "^https?://([a-z0-9.-]+\\.[a-z0-9-]+)(/[^ ]*)?$")
  message(FATAL_ERROR "WUBBLE_HOMEPAGE '${WUBBLE_HOMEPAGE}' is not an http(s) address")
endif()
string(REPLACE "." ";" host_parts "${CMAKE_MATCH_1}")
list(REVERSE host_parts)
list(JOIN host_parts "." metainfo_id_base)

# The release's date, as the changelog gives it.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md release_line
  REGEX "^## ${PROJECT_VERSION} - [0-9]+-[0-9]+-[0-9]+$")
if(NOT release_line)
  message(FATAL_ERROR "CHANGELOG.md has no line '## ${PROJECT_VERSION} - YYYY-MM-DD'")
endif()
string(REGEX REPLACE ".* - " "" metainfo_release_date "${release_line}")

set(metainfo_files)
foreach(program wubble-scope wubble-lite)
  set(metainfo_program ${program})
  if(program STREQUAL wubble-scope)
    set(metainfo_id ${metainfo_id_base}.scope)
    set(metainfo_name "Wubble Scope")
    set(metainfo_strip "A live oscilloscope strip shows the wave of the sound that is playing.")
    set(metainfo_caption "wubble-scope playing the start-up sound")
  else()
    set(metainfo_id ${metainfo_id_base}.lite)
    set(metainfo_name "Wubble Lite")
    set(metainfo_strip "Wubble Lite is Wubble Scope without the oscilloscope strip, and uses no processor time while nothing happens.")
    set(metainfo_caption "wubble-lite after the start-up sound")
  endif()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/desktop/${metainfo_id}.metainfo.xml)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wubble.metainfo.xml.in ${file} @ONLY)
  list(APPEND metainfo_files ${file})
endforeach()
set_property(GLOBAL PROPERTY wubble_metainfo_files ${metainfo_files})  # for their test
install(FILES ${metainfo_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  COMPONENT wubble_programs)
