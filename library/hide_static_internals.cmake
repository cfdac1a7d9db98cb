# Rebuilds ARCHIVE as one relocatable object in which every hidden symbol is
# local, so only the public calls can clash with names of the program that
# links it. Run with -DARCHIVE= -DLINKER= -DOBJCOPY= -DAR=.
set(combined ${ARCHIVE}.combined.o)
execute_process(COMMAND ${LINKER} -r --whole-archive ${ARCHIVE} -o ${combined}
                RESULT_VARIABLE failed)
if(NOT failed)
  execute_process(COMMAND ${OBJCOPY} --localize-hidden ${combined} RESULT_VARIABLE failed)
endif()
if(NOT failed)
  file(REMOVE ${ARCHIVE})
  execute_process(COMMAND ${AR} rcs ${ARCHIVE} ${combined} RESULT_VARIABLE failed)
endif()
file(REMOVE ${combined})
if(failed)
  file(REMOVE ${ARCHIVE})  # so the next build makes it again
  message(FATAL_ERROR "cannot hide the internals of ${ARCHIVE}")
endif()
