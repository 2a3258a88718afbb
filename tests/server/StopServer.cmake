# Ends the kivo-test-server that StartServer.cmake started: -DSERVER=binary -DSTATE=folder
if(EXISTS "${SERVER}")
  execute_process(COMMAND ${SERVER} --stop --state-dir ${STATE})
endif()
