# What every target of the project compiles and links with, carried by one
# interface library: headers are included from the top of the tree
# ("engine/...", "render/..."), warnings stay at zero, and pictures must not
# change with the compiler's contraction of multiply-adds.
add_library(quil_build_options INTERFACE)
target_include_directories(quil_build_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_features(quil_build_options INTERFACE cxx_std_20)
target_compile_options(quil_build_options INTERFACE -Wall -Wextra -ffp-contract=off)
if(QUIL_WERROR)
  target_compile_options(quil_build_options INTERFACE -Werror)
endif()
if(QUIL_NATIVE)
  target_compile_options(quil_build_options INTERFACE -march=native)
endif()
if(QUIL_SANITIZE)
  target_compile_options(quil_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(quil_build_options INTERFACE -fsanitize=address,undefined)
endif()

if(QUIL_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # Coverage for libFuzzer in every library a fuzz target links.
  target_compile_options(quil_build_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# A static library of the project: quil_library(name sources...).
function(quil_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC quil_build_options)
endfunction()

# An executable of the project (programs, tests and benchmarks).
function(quil_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE quil_build_options)
endfunction()
