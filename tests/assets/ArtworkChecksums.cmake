# Checks (or, with -DUPDATE=ON, rewrites) the checksums of the drawn pictures.
#   cmake -DSUMS=artwork.sha256 -DFILES=a.png|b.bmp|... [-DUPDATE=ON] -P ArtworkChecksums.cmake
# FILES is the build's list of pictures, in catalogue order, joined by '|'.
# Every listed file must exist and match its checksum, and SUMS must list no
# other file.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" files "${FILES}")

if(UPDATE)
  set(text [=[
# SHA-256 of every picture artgen draws, in catalogue order, in sha256sum's
# format. The ArtworkChecksums test fails when a single byte of any picture
# changes, so reshaping the drawing code cannot change a picture unnoticed.
# When a picture is meant to change, look at it (artgen --sheet sheet.png),
# then rewrite this file with
#   cmake --build build --target update-artwork-checksums
# and commit it with the change. The bytes also depend on the build machine's
# cairo, pixman, fontconfig and Liberation Sans: after upgrading those, check
# the sheet and rewrite this file the same way.
]=])
  foreach(f IN LISTS files)
    file(SHA256 ${f} hash)
    get_filename_component(name ${f} NAME)
    string(APPEND text "${hash}  ${name}\n")
  endforeach()
  file(WRITE ${SUMS} "${text}")
  list(LENGTH files count)
  message(STATUS "Wrote ${count} checksums to ${SUMS}")
  return()
endif()

file(STRINGS ${SUMS} lines)
set(listed)
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
    message(FATAL_ERROR "${SUMS}: malformed line '${line}'")
  endif()
  set(expected_${CMAKE_MATCH_2} ${CMAKE_MATCH_1})
  list(APPEND listed ${CMAKE_MATCH_2})
endforeach()

set(problems)
set(drawn)
foreach(f IN LISTS files)
  get_filename_component(name ${f} NAME)
  list(APPEND drawn ${name})
  if(NOT EXISTS ${f})
    list(APPEND problems "${name}: not drawn (build first)")
  elseif(NOT DEFINED expected_${name})
    list(APPEND problems "${name}: no checksum")
  else()
    file(SHA256 ${f} hash)
    if(NOT hash STREQUAL expected_${name})
      list(APPEND problems "${name}: differs (${hash})")
    endif()
  endif()
endforeach()
foreach(name IN LISTS listed)
  if(NOT name IN_LIST drawn)
    list(APPEND problems "${name}: has a checksum but is not drawn")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " report)
  message(FATAL_ERROR "Pictures differ from ${SUMS}:\n  ${report}\n"
          "If the change is meant, rewrite the checksums with "
          "cmake --build <build> --target update-artwork-checksums")
endif()
list(LENGTH files count)
message(STATUS "${count} pictures match their checksums")
