# Starts kivo-test-server in the background for the tests of one build folder:
# -DSERVER=binary -DSTATE=folder -DDATA=feed folder [-DCERT_DIR=folder]
file(REMOVE ${STATE}/ports)
if(NOT EXISTS "${SERVER}")
  message("kivo-test-server not found at ${SERVER}: build the native configuration first "
          "(scripts/test.sh does) or set KIVO_TEST_SERVER_BIN; the tests that need the server are skipped.")
  return()
endif()
file(MAKE_DIRECTORY ${STATE})
# A server left over from an interrupted run goes first.
execute_process(COMMAND ${SERVER} --stop --state-dir ${STATE})
set(args --daemon --state-dir ${STATE} --data-dir ${DATA})
if(DEFINED CERT_DIR AND EXISTS ${CERT_DIR}/test-cert.pem AND EXISTS ${CERT_DIR}/test-key.pem)
  list(APPEND args --cert ${CERT_DIR}/test-cert.pem --key ${CERT_DIR}/test-key.pem)
endif()
execute_process(COMMAND ${SERVER} ${args} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivo-test-server did not start (exit ${rc}); see ${STATE}/server.log")
endif()
file(READ ${STATE}/ports ports)
message("kivo-test-server:\n${ports}")
