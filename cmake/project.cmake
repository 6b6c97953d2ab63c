# Settings shared by every area of the tree.

if(WIN32)
  set(QV_WINDOWS ON)
else()
  set(QV_WINDOWS OFF)
endif()

if(QV_WINDOWS)
  # Only API that Windows 95 and NT 4 have.
  add_compile_definitions(WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_WINDOWS=0x0400
                          STRICT NOMINMAX WIN32_LEAN_AND_MEAN)
  # Programs and DLLs carry their C and C++ runtime inside, so the set of
  # files a person installs is only the suite's own.
  set(QV_WIN_LINK_FLAGS -static -static-libgcc -static-libstdc++)
  add_link_options(${QV_WIN_LINK_FLAGS})
  # The suite's C++ ABI at module boundaries, and the linker that serves it.
  include(${CMAKE_CURRENT_LIST_DIR}/msvc_abi.cmake)
  # The 32-bit build is the one that ships: small code, no unwind tables (the
  # library reports failures by return values and catches nothing), every
  # unused function and datum dropped, no symbols.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(-Os -ffunction-sections -fdata-sections
                        $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>
                        # one GUI thread: a local static needs no lock, which
                        # would bring the unwinder along
                        $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>
                        $<$<COMPILE_LANGUAGE:C,CXX>:-fno-asynchronous-unwind-tables>)
    add_link_options(-Wl,--gc-sections -s)
    # As C++20 the code instantiates the std::string members it uses itself,
    # without exceptions, instead of calling the runtime's prebuilt copies,
    # which bring the whole class and the machinery that unwinds.
    set(CMAKE_CXX_STANDARD 20)
    # Every program and DLL gets lean_runtime.cpp, added once the whole tree
    # is known; libraries folded into them do not, or it would be there twice.
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_add_lean_runtime
                   ${CMAKE_SOURCE_DIR})
  endif()
  # Under Wine the tests run: see tools/wine/wine.py.
  set(QV_HARNESS ${CMAKE_SOURCE_DIR}/tools/wine/wine.py)
else()
  option(QV_SANITIZE "Build native code with AddressSanitizer and UBSan" ON)
  if(QV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # libFuzzer needs clang; the targets are built only when it is there.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(QV_FUZZ ON)
  else()
    set(QV_FUZZ OFF)
  endif()
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

# Adds every immediate subfolder of DIR that has a CMakeLists.txt, in name order.
function(qv_add_subdirectories dir)
  file(GLOB children RELATIVE ${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${CMAKE_SOURCE_DIR}/${dir}/${child} ${CMAKE_BINARY_DIR}/${dir}/${child})
    endif()
  endforeach()
endfunction()

# A native GoogleTest binary run by CTest.
function(qv_native_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# The suite folder the Windows tests install. The x86_64 build's tests use
# its bin/ as it is. The i686 build's tests run the release: a first test
# makes it (scripts/dist.py, as ./go dist does) and puts the test programs
# and the stand-ins for Windows' own parts beside it in lane/, so what runs
# are the bytes users get.
if(QV_WINDOWS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QV_SUITE_DIR ${CMAKE_BINARY_DIR}/lane)
  add_test(NAME release_lane
           COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/dist.py --build ${CMAKE_BINARY_DIR}
                   --out ${CMAKE_BINARY_DIR}/release --lane ${QV_SUITE_DIR} --no-zip)
  set_tests_properties(release_lane PROPERTIES FIXTURES_SETUP release)
else()
  set(QV_SUITE_DIR ${CMAKE_BINARY_DIR}/bin)
endif()

# Marks tests that run Windows programs under Wine (on i686 they need the
# release installed first).
function(qv_wine_lane)
  set_tests_properties(${ARGN} PROPERTIES LABELS wine)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED release)
  endif()
endfunction()

# A Windows GoogleTest binary, run by CTest under Wine through the harness.
# Options after the sources: HARNESS_ARGS <args...> passes options to the
# harness (for example --version win95, --com COM1=...).
function(qv_wine_test name)
  cmake_parse_arguments(QWT "" "" "HARNESS_ARGS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${QWT_SOURCES} ${QWT_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE gtest_main ${QWT_LIBS})
  add_test(NAME ${name}
           COMMAND python3 ${QV_HARNESS} run --suite ${QV_SUITE_DIR}
                   ${QWT_HARNESS_ARGS} -- $<TARGET_FILE_NAME:${name}>)
  qv_wine_lane(${name})
endfunction()

# A Python script that drives the suite's files under Wine (--suite DIR);
# with VERSIONS, one test NAME_VERSION per Windows version.
function(qv_wine_script name script)
  cmake_parse_arguments(QWS "" "TIMEOUT" "VERSIONS" ${ARGN})
  if(NOT QV_WINDOWS)
    return()
  endif()
  if(NOT QWS_TIMEOUT)
    set(QWS_TIMEOUT 600)
  endif()
  # Emulated, the i686 files take several times as long.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    math(EXPR QWS_TIMEOUT "${QWS_TIMEOUT} * 3")
  endif()
  set(command python3 ${CMAKE_CURRENT_SOURCE_DIR}/${script} --suite ${QV_SUITE_DIR})
  set(tests ${name})
  if(QWS_VERSIONS)
    set(tests "")
    foreach(version ${QWS_VERSIONS})
      add_test(NAME ${name}_${version} COMMAND ${command} --version ${version})
      list(APPEND tests ${name}_${version})
    endforeach()
  else()
    add_test(NAME ${name} COMMAND ${command})
  endif()
  set_tests_properties(${tests} PROPERTIES TIMEOUT ${QWS_TIMEOUT})
  qv_wine_lane(${tests})
endfunction()

# A libFuzzer target (native clang builds only). A short run is registered
# as a test so every CI run fuzzes each target briefly.
function(qv_fuzz_target name)
  if(NOT QV_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  # QV_FUZZ_RUNS, set by the caller, shortens the run of a slow target.
  set(runs 20000)
  if(QV_FUZZ_RUNS)
    set(runs ${QV_FUZZ_RUNS})
  endif()
  add_test(NAME ${name} COMMAND ${name} -runs=${runs} -max_len=4096)
  set_tests_properties(${name} PROPERTIES LABELS fuzz)
endfunction()

function(qv_add_lean_runtime dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
      target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/lean_runtime.cpp)
    endif()
  endforeach()
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child ${children})
    qv_add_lean_runtime(${child})
  endforeach()
endfunction()
