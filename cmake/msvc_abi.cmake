# Where one module of the suite meets another, C++ speaks the suite's ABI:
# Microsoft's, as its compiler decorates names, calls members (thiscall on
# i686), passes objects with a copy constructor by value, returns classes
# through a hidden pointer and lays out tables of virtuals. Each DLL keeps
# that boundary in one place, its face: a few sources compiled here by clang
# for the *-pc-windows-msvc target, thin over the MinGW code behind them,
# which they reach through plain C functions.
#
# Every Windows program and DLL is linked by clang's MinGW driver with lld:
# GNU ld cannot export such names on i686 (it looks for them with the
# underscore its C names carry).

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QV_MSVC_TARGET i686-pc-windows-msvc)
  set(QV_MINGW_TARGET i686-w64-mingw32)
else()
  set(QV_MSVC_TARGET x86_64-pc-windows-msvc)
  set(QV_MINGW_TARGET x86_64-w64-mingw32)
endif()

find_program(QV_CLANG clang REQUIRED)
find_program(QV_CLANGXX clang++ REQUIRED)

# The link step: the compiler's own command line with clang's MinGW driver
# in the compiler's place, and the MinGW compiler's runtime folder (win32
# thread model) searched first.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                OUTPUT_VARIABLE qv_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(QV_GCC_LIB_DIR "${qv_libgcc}" DIRECTORY)
set(qv_link_C "${QV_CLANG} --target=${QV_MINGW_TARGET} -fuse-ld=lld -L${QV_GCC_LIB_DIR}")
set(qv_link_CXX "${QV_CLANGXX} --target=${QV_MINGW_TARGET} -fuse-ld=lld -L${QV_GCC_LIB_DIR}")
foreach(lang C CXX)
  foreach(rule CREATE_SHARED_LIBRARY CREATE_SHARED_MODULE LINK_EXECUTABLE)
    string(REPLACE "<CMAKE_${lang}_COMPILER>" "${qv_link_${lang}}" CMAKE_${lang}_${rule}
                   "${CMAKE_${lang}_${rule}}")
  endforeach()
endforeach()
# Windows 95 and NT 4 load only files that ask for version 4.0 at most.
add_link_options(-Wl,--major-os-version,4 -Wl,--minor-os-version,0
                 -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)

# Compiler flags for the Windows-ABI sources: no exceptions, run-time type
# information or stack cookies (nothing of Microsoft's runtime is linked),
# and no system headers: a face declares the little it needs itself.
set(QV_MSVC_ABI_FLAGS --target=${QV_MSVC_TARGET} -std=c++17 -nostdlibinc -fno-exceptions -fno-rtti
    -fno-stack-protector -Xclang -fno-autolink -ffunction-sections -fdata-sections
    -Wall -Wextra -Wno-unused-parameter)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND QV_MSVC_ABI_FLAGS -Os)
else()
  list(APPEND QV_MSVC_ABI_FLAGS -O2)
endif()

# qv_msvc_abi_sources(target source... [DEFINES d...] [INCLUDES dir...] [OPTIONS o...])
# Compiles the sources in the Windows C++ ABI into target, with the suite's
# headers (suite/include) on the search path and any further compiler
# options. The first call for a target also adds the few runtime pieces
# such code asks for (operator new and delete, _purecall, _fltused), served
# by the module's own C runtime.
function(qv_msvc_abi_sources target)
  cmake_parse_arguments(ARG "" "" "DEFINES;INCLUDES;OPTIONS" ${ARGN})
  set(sources ${ARG_UNPARSED_ARGUMENTS})
  get_target_property(has_runtime ${target} QV_MSVC_ABI_RUNTIME)
  if(NOT has_runtime)
    list(APPEND sources ${CMAKE_SOURCE_DIR}/cmake/msvc_abi_runtime.cpp)
    set_target_properties(${target} PROPERTIES QV_MSVC_ABI_RUNTIME ON)
  endif()
  set(flags ${QV_MSVC_ABI_FLAGS} -I${CMAKE_SOURCE_DIR}/suite/include)
  foreach(dir ${ARG_INCLUDES})
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND flags -I${dir})
  endforeach()
  foreach(def ${ARG_DEFINES})
    list(APPEND flags -D${def})
  endforeach()
  list(APPEND flags ${ARG_OPTIONS})
  foreach(src ${sources})
    get_filename_component(abs ${src} ABSOLUTE)
    get_filename_component(name ${src} NAME_WE)
    set(obj ${CMAKE_CURRENT_BINARY_DIR}/msvc_abi/${target}/${name}.obj)
    add_custom_command(OUTPUT ${obj}
                       COMMAND ${QV_CLANGXX} ${flags} -MD -MF ${obj}.d -c ${abs} -o ${obj}
                       DEPENDS ${abs} DEPFILE ${obj}.d
                       COMMENT "Windows C++ ABI: ${src}" VERBATIM)
    set_source_files_properties(${obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${target} PRIVATE ${obj})
    list(APPEND objects ${obj})
  endforeach()
  # A custom command's rule belongs to the targets of its own folder: a
  # target made elsewhere gets the objects through a step made here.
  get_target_property(target_dir ${target} SOURCE_DIR)
  if(NOT target_dir STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    file(RELATIVE_PATH here ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(MAKE_C_IDENTIFIER "${target}_msvc_abi_${here}" step)
    add_custom_target(${step} DEPENDS ${objects})
    add_dependencies(${target} ${step})
  endif()
endfunction()
