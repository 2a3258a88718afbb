# System libraries the platform layer needs.
if(WIN32)
  target_link_libraries(kivoplatform INTERFACE wininet shlwapi ole32 oleaut32 windowscodecs)
endif()
