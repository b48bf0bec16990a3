// Sanitizer defaults for the test programs; included by exactly one file of each test main.
#ifndef PARLAVOX_TESTS_SUPPORT_SANITIZEROPTIONS_H
#define PARLAVOX_TESTS_SUPPORT_SANITIZEROPTIONS_H

#ifndef PARLAVOX_SOURCE_DIR
#define PARLAVOX_SOURCE_DIR "."
#endif

extern "C" {
__attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1";
}
__attribute__((visibility("default"), used)) const char* __lsan_default_options() {
  return "suppressions=" PARLAVOX_SOURCE_DIR "/tests/support/lsan.supp:print_suppressions=0";
}
__attribute__((visibility("default"), used)) const char* __ubsan_default_options() {
  return "print_stacktrace=1:halt_on_error=1";
}
__attribute__((visibility("default"), used)) const char* __tsan_default_options() {
  return "halt_on_error=1:second_deadlock_stack=1";
}
}

#endif
