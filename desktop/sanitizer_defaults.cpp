// sanitizer_defaults.cpp -- built into the sanitized variants only: the options
// the sanitizer runtimes start with, so that every run of them checks the same
// way without any environment. A finding ends the program with a report.
extern "C" {

#ifdef TARNWICK_SANITIZED_VIEWER
// The viewer's leaks are checked under valgrind instead: at exit the GL driver
// has been unloaded, and LeakSanitizer can neither name nor suppress the state
// it keeps until the process ends.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer runtime looks for this name
const char* __asan_default_options()
{
    return "detect_leaks=0:allocator_may_return_null=1:detect_stack_use_after_return=1";
}
#else
// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer runtime looks for this name
const char* __asan_default_options()
{
    return "detect_leaks=1:allocator_may_return_null=1:detect_stack_use_after_return=1";
}
#endif

// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizer runtime looks for this name
const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
}
