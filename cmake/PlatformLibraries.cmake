# System libraries the platform layer needs.
if(WIN32)
  target_link_libraries(kivoplatform INTERFACE wininet shlwapi ole32 oleaut32 windowscodecs)
else()
  find_package(CURL REQUIRED)
  target_link_libraries(kivoplatform PUBLIC CURL::libcurl)
endif()
