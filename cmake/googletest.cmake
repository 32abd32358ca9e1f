# GoogleTest for the tests that run on Windows: an installed package built for this compiler
# when there is one, otherwise the pinned release built from source. The Debian preset sets
# FETCHCONTENT_SOURCE_DIR_GOOGLETEST to /usr/src/googletest, so nothing is downloaded there.
if(POLICY CMP0135)
  cmake_policy(SET CMP0135 NEW)  # sources unpacked now are newer than any build of them
endif()
if(NOT FETCHCONTENT_SOURCE_DIR_GOOGLETEST)
  find_package(GTest CONFIG QUIET)
endif()
if(NOT GTest_FOUND)
  include(FetchContent)
  FetchContent_Declare(googletest
    URL https://github.com/google/googletest/archive/refs/tags/release-1.12.1.tar.gz
    URL_HASH SHA256=81964fe578e9bd7c94dfdb09c8e4d6e6759e19967e397dbea48d1c10e45d0df2)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  FetchContent_MakeAvailable(googletest)
endif()
