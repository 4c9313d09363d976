# cmake -DPAGE=file.1 -DNAME=quil-cli -DEXPECT=text -P CheckManPage.cmake: fails unless the page was
# made for NAME and holds EXPECT (a line of the program's --help).
if(NOT EXISTS "${PAGE}")
  message(FATAL_ERROR "${PAGE} was not built")
endif()
file(READ "${PAGE}" text)
string(TOUPPER "${NAME}" upper)
if(NOT text MATCHES "\\.TH \"?${upper}\"? \"?1\"?")
  message(FATAL_ERROR "${PAGE} is no section 1 page of ${NAME}")
endif()
string(FIND "${text}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE} lacks \"${EXPECT}\"")
endif()
