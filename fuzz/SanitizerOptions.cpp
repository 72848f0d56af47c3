// Undefined behaviour stops a target at its first report, as a memory error does.

extern "C" char const* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}
