# Compiles a call of CreateWubble with 0 to 9 arguments against <wubble.h>:
# 4 and 5 must compile cleanly (every warning an error), every other count
# must fail with no warning made an error, so a call that only warns counts
# as accepted.
#   cmake -DCOMPILER=... -DLANGUAGE=c|c++ -DINCLUDE_DIR=... -DWORK_DIR=... -P create_wubble_arity.cmake
set(arguments 9837320 0 5 1 copy 2 3 4 5)
if(LANGUAGE STREQUAL "c")
  set(standard -std=c99)
  set(suffix c)
else()
  set(standard -std=c++17)
  set(suffix cpp)
endif()
file(MAKE_DIRECTORY ${WORK_DIR})

set(wrong)
foreach(count RANGE 0 9)
  set(list)
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(k RANGE 0 ${last})
      list(GET arguments ${k} value)
      list(APPEND list ${value})
    endforeach()
  endif()
  string(REPLACE ";" ", " call "${list}")
  set(snippet ${WORK_DIR}/call_${count}.${suffix})
  file(WRITE ${snippet}
    "#include <wubble.h>\n"
    "uint8_t copy[WUBBLE_IMAGE_BYTES];\n"
    "int32_t Call(void);\n"
    "int32_t Call(void) { return CreateWubble(${call}); }\n")
  if(count EQUAL 4 OR count EQUAL 5)
    set(flags -Wall -Wextra -pedantic -Werror)
  else()
    set(flags)
  endif()
  execute_process(COMMAND ${COMPILER} ${standard} ${flags} -I${INCLUDE_DIR} -fsyntax-only ${snippet}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(count EQUAL 4 OR count EQUAL 5)
    if(NOT status EQUAL 0)
      list(APPEND wrong "CreateWubble(${call}) does not compile:\n${out}")
    endif()
  elseif(status EQUAL 0)
    list(APPEND wrong "CreateWubble(${call}) compiles:\n${out}")
  endif()
endforeach()

if(wrong)
  string(REPLACE ";" "\n" wrong "${wrong}")
  message(FATAL_ERROR "${LANGUAGE}: ${wrong}")
endif()
message(STATUS "${LANGUAGE}: only the 4- and 5-argument calls compile")
