# Install step: rewrites the installed text files BREVLET_TEXT_FILES (paths relative to the
# install prefix) with CRLF line ends. Files that already have them stay as they are.
set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
foreach(text IN LISTS BREVLET_TEXT_FILES)
  file(READ "${prefix}/${text}" content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE "${prefix}/${text}" "${content}")
endforeach()
