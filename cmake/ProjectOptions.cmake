# One INTERFACE target carries the flags every target of the project shares.
add_library(qv_project_options INTERFACE)
target_compile_features(qv_project_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

target_compile_definitions(qv_project_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                        QT_NO_URL_CAST_FROM_STRING)
if(WIN32)
  target_compile_definitions(qv_project_options INTERFACE NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
endif()

if(MSVC)
  target_compile_options(qv_project_options INTERFACE /W4 /utf-8 $<$<BOOL:${QV_WARNINGS_AS_ERRORS}>:/WX>)
else()
  target_compile_options(qv_project_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                      -Woverloaded-virtual $<$<BOOL:${QV_WARNINGS_AS_ERRORS}>:-Werror>)
endif()

if(QV_SANITIZE)
  if(MSVC)
    target_compile_options(qv_project_options INTERFACE /fsanitize=address)
  else()
    set(_qv_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(qv_project_options INTERFACE ${_qv_sanitizers})
    target_link_options(qv_project_options INTERFACE ${_qv_sanitizers})
  endif()
  target_compile_definitions(qv_project_options INTERFACE HAVE_SANITIZERS)
endif()

# Fuzzing: everything is built with the fuzzer's coverage and ASan + UBSan, so the libraries the
# targets link are instrumented too; the targets themselves add the fuzzer's main.
if(QV_BUILD_FUZZERS)
  set(_qv_fuzz -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(qv_project_options INTERFACE ${_qv_fuzz})
  target_link_options(qv_project_options INTERFACE -fsanitize=address,undefined)
endif()

# ThreadSanitizer cannot be combined with ASan, so it is a build of its own.
if(QV_TSAN AND NOT MSVC)
  set(_qv_tsan -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(qv_project_options INTERFACE ${_qv_tsan})
  target_link_options(qv_project_options INTERFACE ${_qv_tsan})
endif()

# Files of platform/ are compiled into the target that uses the service: name the base, get the
# file of the platform being built.
function(qv_platform_sources target)
  foreach(base IN LISTS ARGN)
    if(WIN32)
      target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/${base}_windows.cpp)
    else()
      target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/${base}_linux.cpp)
    endif()
  endforeach()
endfunction()
