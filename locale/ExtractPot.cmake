# Runs xgettext over the sources of tallytest and over the form headers uic
# generated for them (cmake -P, at build time, when the headers exist).
set(dirs platform driver common shell pages)
set(files)
foreach(d ${dirs})
  file(GLOB_RECURSE found ${SOURCE_DIR}/${d}/*.cpp ${SOURCE_DIR}/${d}/*.h)
  list(APPEND files ${found})
  file(GLOB_RECURSE found ${BINARY_DIR}/${d}/*_autogen/include/ui_*.h)
  list(APPEND files ${found})
endforeach()
list(SORT files)
execute_process(
  COMMAND ${XGETTEXT} --language=C++ --from-code=UTF-8 --keyword=Tr:1 --keyword=TrNoop:1
    --package-name=tallytest --sort-by-file --add-location=file -o ${OUTPUT} ${files}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xgettext failed")
endif()
