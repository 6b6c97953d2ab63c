// The program's start-up over MSVCRT.DLL. What code in the Windows C++ ABI
// asks of its runtime (operator new and delete, the pure-call handler, the
// floating-point mark) comes from cmake/msvc_abi_runtime.cpp, over the same
// MSVCRT.DLL: what Microsoft's runtime library would give a suite program,
// and the same heap the suite's DLLs allocate from.
extern "C" {
void exit(int code);
int main();

void mainCRTStartup(void) { exit(main()); }
}
