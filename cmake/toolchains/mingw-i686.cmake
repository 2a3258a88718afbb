# 32-bit Windows, the plugin's real target. The posix thread model gives us
# std::thread and std::mutex; its winpthread is linked statically below.
set(KIVO_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
