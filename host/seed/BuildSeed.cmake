# Feeds the SQL files in INPUTS, in order, to the sqlite3 tool on the database DB; any error
# fails the build. Usage: cmake -DSQLITE3=... -DDB=... -DINPUTS=a.sql;b.sql -P BuildSeed.cmake
foreach(_in ${INPUTS})
  execute_process(COMMAND ${SQLITE3} -bail ${DB} INPUT_FILE ${_in}
    RESULT_VARIABLE _rc ERROR_VARIABLE _err)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "seed: ${_in}: ${_err}")
  endif()
endforeach()
