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

# Precompiled headers, for the targets whose files spend most of their time
# reading the same large headers: quil_precompile(target sets...) with the
# sets std, qt (QtCore and QtGui), widgets and gtest. A set only saves work;
# every file still includes what it uses, so the build stays correct without it.
# A header costs about as much as compiling four files with it saves, so
# suites of four files or fewer go without.
set(QUIL_PCH_std <algorithm> <functional> <memory> <string> <vector>)
set(QUIL_PCH_qt <QDir> <QFile> <QImage> <QString> <QStringList>)
set(QUIL_PCH_widgets <QApplication> <QCheckBox> <QDialog> <QHBoxLayout> <QLabel> <QLineEdit> <QPainter>
  <QPushButton> <QVBoxLayout> <QWidget>)
set(QUIL_PCH_gtest <gtest/gtest.h>)
function(quil_precompile target)
  set(headers)
  foreach(set IN LISTS ARGN)
    list(APPEND headers ${QUIL_PCH_${set}})
  endforeach()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
