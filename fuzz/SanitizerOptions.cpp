// Undefined behaviour stops a target at its first report, as a memory error does. The
// suppressions name undefined behaviour known in code this project does not own.

#ifndef KORIL_FUZZ_UBSAN_SUPPRESSIONS
#error "KORIL_FUZZ_UBSAN_SUPPRESSIONS names the suppressions file"
#endif

extern "C" char const* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1:suppressions=" KORIL_FUZZ_UBSAN_SUPPRESSIONS;
}
