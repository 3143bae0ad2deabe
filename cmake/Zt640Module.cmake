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

# zt640_use_pch(<target> [QT] [HEADERS <extra>...]): precompiles the shared set
# (and Qt's, for a Qt target) when ZT640_PCH is on.
function(zt640_use_pch target)
  cmake_parse_arguments(ARG "QT" "" "HEADERS" ${ARGN})
  if(NOT ZT640_PCH)
    return()
  endif()
  set(headers ${ZT640_STD_PCH} ${ARG_HEADERS})
  if(ARG_QT)
    list(APPEND headers ${ZT640_QT_PCH})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
  # GCC 12 loses the system-header status of the standard library's inlined code
  # when it comes from a precompiled header, and then reports its known false
  # positives there (std::string's operator+ among them).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
  endif()
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
