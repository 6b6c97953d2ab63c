# Writes the wizard library's module definition file: entry/qvwiz32.def and
# the exports of the database classes that no compiler writes itself, named
# after what the compiler named in the given objects:
# - the scalar deleting destructors ??_G of Field4info and Tag4info (the
#   compiler writes them, but exports only what is declared), and their
#   vector deleting destructors ??_E, the same name with E for G, served by
#   vector_deleting_destructor<Class>;
# - Expr4::true, a member the suite's programs call under a keyword's name,
#   served by Expr4::isTrue.
#   cmake -DNM=llvm-nm -DIN=qvwiz32.def -DOUT=out.def -P exports.cmake OBJ...
set(symbols)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(CMAKE_ARGV${i} MATCHES "\\.obj$")
    execute_process(COMMAND ${NM} --defined-only --format=just-symbols ${CMAKE_ARGV${i}}
                    OUTPUT_VARIABLE out COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "[^\n]+" names "${out}")
    list(APPEND symbols ${names})
  endif()
endforeach()
list(REMOVE_DUPLICATES symbols)
list(SORT symbols)

file(READ ${IN} text)
string(APPEND text "    ; The database classes' deleting destructors and Expr4::true.\n")
set(found 0)
foreach(sym ${symbols})
  if(sym MATCHES "^\\?\\?_G([A-Za-z0-9_]+)@@(.*)$")
    set(class ${CMAKE_MATCH_1})
    set(signature ${CMAKE_MATCH_2})
    set(helper)
    foreach(candidate ${symbols})
      if(candidate MATCHES "^\\?\\?\\$vector_deleting_destructor@V${class}@@@@")
        set(helper ${candidate})
      endif()
    endforeach()
    if(NOT helper)
      message(FATAL_ERROR "no vector_deleting_destructor<${class}> beside ${sym}")
    endif()
    string(APPEND text "    ${sym}\n    ??_E${class}@@${signature} = ${helper}\n")
    math(EXPR found "${found} + 1")
  elseif(sym MATCHES "^\\?isTrue@Expr4@@(.*)$")
    string(APPEND text "    ?true@Expr4@@${CMAKE_MATCH_1} = ${sym}\n")
    math(EXPR found "${found} + 1")
  endif()
endforeach()
if(NOT found EQUAL 3)
  message(FATAL_ERROR "expected 2 deleting destructors and Expr4::isTrue, found ${found} names")
endif()
file(WRITE ${OUT}.tmp "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.tmp ${OUT})
