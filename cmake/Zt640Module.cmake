# Build helpers shared by every folder. Sources are collected by glob so a new
# file joins its library without touching the build files.

function(zt640_apply_warnings)
  add_compile_options(-Wall -Wextra)
  if(ZT640_WERROR)
    add_compile_options(-Werror)
  endif()
  # GCC 12 reports -Wrestrict on inlined std::string concatenation at -O3,
  # a false positive in the standard library's own code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
  endif()
endfunction()

function(zt640_apply_sanitizers)
  if(ZT640_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(ZT640_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endfunction()

# Headers most files of a library include, compiled once per target instead of once
# per file: the bulk of a build's time is spent parsing Qt's and the standard
# library's headers again and again.
set(ZT640_STD_PCH <algorithm> <array> <atomic> <chrono> <cstdint> <functional> <map> <memory>
    <mutex> <optional> <string> <string_view> <vector>)
set(ZT640_QT_PCH <QObject> <QString> <QWidget> <QPointer> <QLabel> <QAbstractButton> <QTimer>
    <QPainter> <QPushButton> <QLineEdit> <QComboBox>)

set(ZT640_TEST_PCH <gtest/gtest.h> <gmock/gmock.h> <filesystem> <fstream> <thread>)

# One precompiled header per kind of target (plain or Qt library, plain or Qt test
# suite), compiled once by a small host library and reused by every target of that
# kind: a Qt header set takes half a minute to precompile, and 25 targets each
# compiled their own. The host links what its kind links, so it compiles with the
# same definitions and options as the targets that reuse it.
function(zt640_pch_host kind)
  set(host zt640_pch_${kind})
  if(TARGET ${host})
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/pch/${host}.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "// Host of a shared precompiled header.\n")
  endif()
  add_library(${host} STATIC ${source})
  set(headers ${ZT640_STD_PCH})
  target_link_libraries(${host} PRIVATE Threads::Threads)
  if(kind MATCHES "qt")
    list(APPEND headers ${ZT640_QT_PCH})
    target_link_libraries(${host} PRIVATE Qt6::Widgets Qt6::UiTools)
  endif()
  if(kind MATCHES "test")
    list(APPEND headers ${ZT640_TEST_PCH})
    target_link_libraries(${host} PRIVATE GTest::gtest GTest::gmock)
    if(kind MATCHES "qt")
      target_link_libraries(${host} PRIVATE Qt6::Test)
    endif()
  endif()
  target_precompile_headers(${host} PRIVATE ${headers})
  zt640_pch_warnings(${host})
endfunction()

# GCC 12 loses the system-header status of the standard library's inlined code
# when it comes from a precompiled header, and then reports its known false
# positives there (std::string's operator+ among them).
function(zt640_pch_warnings target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
  endif()
endfunction()

# zt640_use_pch(<target> [QT] [TEST]): reuses the shared precompiled header of the
# target's kind when ZT640_PCH is on.
function(zt640_use_pch target)
  cmake_parse_arguments(ARG "QT;TEST" "" "" ${ARGN})
  if(NOT ZT640_PCH)
    return()
  endif()
  set(kind lib)
  if(ARG_TEST)
    set(kind test)
  endif()
  if(ARG_QT)
    set(kind ${kind}qt)
  endif()
  zt640_pch_host(${kind})
  target_precompile_headers(${target} REUSE_FROM zt640_pch_${kind})
  zt640_pch_warnings(${target})
endfunction()

# zt640_add_module(<name> [QT] [DEPS <targets>...])
# One static library per folder under src/, named zt640_<name>, from every
# .cpp below the calling folder. Public include root is src/.
function(zt640_add_module name)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(target zt640_${name})
  set(units ${sources})
  list(FILTER units INCLUDE REGEX "\\.cpp$")
  if(units)
    # The headers are listed too, so the moc step learns of a new Q_OBJECT header
    # at the next configure instead of keeping its old list.
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} Threads::Threads)
    if(ARG_QT)
      set_target_properties(${target} PROPERTIES AUTOMOC ON)
      zt640_use_pch(${target} QT)
    else()
      zt640_use_pch(${target})
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} Threads::Threads)
  endif()
endfunction()
