// Linked into every program and DLL of the shipping 32-bit build, in place of
// the parts of the static C++ runtime that only serve exceptions.
//
// The suite reports failures by return values and catches no exception, so
// a failure the runtime would throw (out of memory, a string past its
// maximum length, an index out of range) could only end the process. These
// definitions end it at once. Because they are in the program itself, the
// linker no longer pulls from the runtime's archive the exception classes
// with their strings of the old string layout, the code that raises and
// unwinds, or the terminate handler that prints the exception's type with
// the name demangler: together about a hundred kilobytes per file.
#include <cstdlib>
#include <new>

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_bad_exception() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return p;
    std::abort();
}

// The runtime's own copy of this one catches bad_alloc, which would bring the
// unwinder back.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}
