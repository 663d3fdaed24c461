# The generated report query end to end, in the current folder: pwhost
# generate writes the model, pwhost edit builds the query on it (exit 0, its
# output compared with a file or searched for lines) and pwhost check
# reopens the stored query it handed back, which must reopen unchanged.
#   cmake -DPWHOST=emulator|program -DSIZES=--option|N|... [-DEXPECTED=file]
#         [-DLINES=line|line|...] -P generated_query.cmake
# Words are separated by "|" so that they pass through add_test unsplit.
string(REPLACE "|" ";" pwhost "${PWHOST}")
string(REPLACE "|" ";" sizes "${SIZES}")

function(run what expected_status)
  execute_process(COMMAND ${pwhost} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors)
  if(NOT "${status}" STREQUAL "${expected_status}")
    message(FATAL_ERROR "pwhost ${what}: exit status ${status}, expected ${expected_status}:\n${errors}${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

run(generate 0 generate ${sizes})
file(WRITE generated.json "${output}")
run(edit 0 --server generated.json edit --out generated.def)
if(DEFINED EXPECTED)
  file(READ "${EXPECTED}" expected)
  if(NOT "${output}" STREQUAL "${expected}")
    message(FATAL_ERROR "pwhost edit: output differs from ${EXPECTED}:\n--- got\n${output}--- expected\n${expected}")
  endif()
endif()
string(REPLACE "|" ";" lines "${LINES}")
foreach(line IN LISTS lines)
  string(FIND "\n${output}" "\n${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "pwhost edit: no line \"${line}\" in its output:\n${output}")
  endif()
endforeach()
run(check 0 --server generated.json check generated.def)
if(NOT "${output}" STREQUAL "generated.def: reopens unchanged\n")
  message(FATAL_ERROR "pwhost check: ${output}")
endif()
