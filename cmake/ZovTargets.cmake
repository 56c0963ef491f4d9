# Small helpers shared by every CMakeLists of the project.

# Warnings and sanitizers are set per target, never globally.
function(zov_target_defaults target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  endif()
  if(ZOV_SANITIZE)
    # -fno-sanitize-recover: undefined behaviour ends the process like an
    # address fault does, so a test cannot pass over a report.
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all)
  endif()
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()

# zov_add_library(name SOURCES ... DEPS ...)
# Every layer is one static library; its public include root is src/, so code
# includes "layer/file.h". Dependencies are declared with DEPS and nothing else.
function(zov_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  zov_target_defaults(${name})
endfunction()

# zov_add_test(name SOURCES ... LIBS ... [QT_MAIN])
# One executable per area, registered with CTest. QT_MAIN links a GoogleTest
# main that first creates a QApplication, for tests that need an event loop or
# a widget. Tests run headless on any machine: offscreen platform and a private
# runtime directory are set here, so a bare `ctest` works.
function(zov_add_test name)
  cmake_parse_arguments(ARG "QT_MAIN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  zov_target_defaults(${name})
  if(ARG_QT_MAIN)
    target_link_libraries(${name} PRIVATE zov_test_qt_main GTest::gtest Qt6::Widgets Qt6::Test ${ARG_LIBS})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gtest ${ARG_LIBS})
  endif()
  target_compile_definitions(${name} PRIVATE
    ZOV_REFERENCE_DATA="${PROJECT_SOURCE_DIR}/../shared/reference-data"
    ZOV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZOV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(ZOV_SANITIZE)
    # Instrumented code runs a few times slower.
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 4")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${ZOV_TEST_ENVIRONMENT}")
endfunction()

# The environment of every test. Under the sanitizers the first report ends
# the process, and the programs a test starts (zov-cli, zov) inherit the
# options. abort_on_error turns a report into a crash rather than exit code 1,
# which tests of zov-cli expect for some failures: a report in a child can
# never pass for the error the test was waiting for.
set(ZOV_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${PROJECT_BINARY_DIR}/xdg-runtime;LC_ALL=C.UTF-8")
if(ZOV_SANITIZE)
  list(APPEND ZOV_TEST_ENVIRONMENT
    "ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
    "UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/lsan.supp:print_suppressions=0")
endif()

# zov_add_bench(name SOURCES ... LIBS ...)
function(zov_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  zov_target_defaults(${name})
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
  target_compile_definitions(${name} PRIVATE
    ZOV_REFERENCE_DATA="${PROJECT_SOURCE_DIR}/../shared/reference-data")
endfunction()
