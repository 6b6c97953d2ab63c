// Code4: the engine's context, with the hooks and error calls.
#include "cbase32.hpp"

Code4::Code4() : Code4(1) {}

Code4::Code4(int init)
{
    __builtin_memset(ownWords, 0, sizeof ownWords);
    if (init) {
        d4init(this);
        __builtin_memset(ownArea, 0, sizeof ownArea);
    }
}

int Code4::init()
{
    int rc = d4init(this);
    __builtin_memset(ownArea, 0, sizeof ownArea);
    return rc;
}

int Code4::initUndo() { return d4init_undo(this); }
int Code4::closeAll() { return d4close_all(this); }
DATA4* Code4::data(char* alias) { return d4data(this, alias); }
int Code4::flushFiles() { return d4flush_files(this); }
int Code4::optStart() { return d4opt_start(this); }
int Code4::optSuspend() { return d4opt_suspend(this); }
int Code4::calcCreate(Expr4 expr, char* name) { return expr4calc_create(this, expr.expr, name); }
void Code4::calcReset() { expr4calc_reset(this); }
int Code4::error(int code, char* s1, char* s2, char* s3) { return e4describe(this, code, s1, s2, s3); }
void Code4::exit() { e4exit(this); }
void Code4::exitTest() { e4exit_test(this); }
int Code4::unlock() { return d4unlock_files(this); }
int Code4::QvcoError() { return ::QvcoError(this); }
ERROR4HOOK Code4::SetErrorHook(ERROR4HOOK hook) { return ::SetErrorHook(hook); }
INDEX4HOOK Code4::SetIndexHook(INDEX4HOOK hook, void* arg) { return ::SetIndexHook(hook, arg); }
PACK4HOOK Code4::SetPackHook(PACK4HOOK hook, void* arg) { return ::SetPackHook(hook, arg); }

