# The third-party notices a package ships: kestrix_notices(VAR LIBRARY...)
# sets VAR to a heading, the list of LIBRARY names and then, for each,
# docs/licences/LIBRARY.txt (its name, version, copyright and licence text,
# taken from the Debian packages the programs are built with). Each package
# names the libraries its own programs carry: the Windows zip, the Debian
# package and `cmake --install` differ in what is linked in.
function(kestrix_notices var)
  set(list "")
  set(texts "")
  foreach(library ${ARGN})
    set(file ${PROJECT_SOURCE_DIR}/docs/licences/${library}.txt)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(STRINGS ${file} heading LIMIT_COUNT 1)
    string(APPEND list "  - ${heading}\n")
    file(READ ${file} text)
    string(APPEND texts "\n\n${text}")
  endforeach()
  set(title "Third-party software in kestrix ${PROJECT_VERSION}")
  string(LENGTH "${title}" length)
  string(REPEAT "=" ${length} rule)
  set(notices "${title}
${rule}

kestrix itself is under the MIT licence (LICENSE). Its programs carry these
libraries, each under its own licence, whose text follows:

${list}${texts}")
  set(${var} "${notices}" PARENT_SCOPE)
endfunction()

# kestrix_write_text(OUT CRLF|LF TEXT): OUT holds TEXT, with the line ends
# asked for (Windows: CR LF, for Notepad). The file is rewritten only when
# its text changes, so that a configure run rebuilds nothing.
function(kestrix_write_text out newline text)
  if(newline STREQUAL "CRLF")
    string(REPLACE "\n" "\r\n" text "${text}")
  endif()
  set(old "")
  if(EXISTS ${out})
    file(READ ${out} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${out} "${text}")
  endif()
endfunction()
