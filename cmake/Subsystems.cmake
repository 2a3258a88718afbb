# kivo_library(TARGET FOLDER [LINKS targets...]): a static library of the
# sources directly in FOLDER (a header-only folder gives an interface
# library). Each subsystem's CMakeLists.txt makes one for its portable half
# and one for its win32/ half; LINKS follow the layer table in ARCHITECTURE.md,
# which the `layers` test enforces for the includes.
function(kivo_library target folder)
  cmake_parse_arguments(L "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${L_LINKS})
    kivo_warnings(${target})
  else()
    add_library(${target} INTERFACE ${headers})
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${L_LINKS})
  endif()
endfunction()
