# Runs a program and checks its exit status and its whole standard output
# against an expected file, byte for byte (line ends included: pwhost writes
# LF on Windows too).
#   cmake -DRUN=emulator|program|arg|... -DSTATUS=N -DEXPECTED=file [-DTEXT_MODE=ON] -P check_output.cmake
# The command's words are separated by "|" so that they pass through
# add_test unsplit. TEXT_MODE: the program writes its output as text, which
# has CR LF line ends on Windows; they are compared as LF.
string(REPLACE "|" ";" command "${RUN}")
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE output)
if(TEXT_MODE)
  string(REPLACE "\r\n" "\n" output "${output}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT "${status}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; output:\n${output}")
endif()
if(NOT "${output}" STREQUAL "${expected}")
  message(FATAL_ERROR "output differs from ${EXPECTED}:\n--- got\n${output}--- expected\n${expected}")
endif()
