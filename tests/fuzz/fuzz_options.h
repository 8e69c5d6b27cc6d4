#pragma once
// AddressSanitizer settings for targets that allocate a lot per input (the settings store
// and the window start-up make thousands of small strings). The full allocation stack of
// every block and a 256 MB quarantine cost a third of each run and push the memory past
// 400 MB; a short stack and a smaller quarantine still catch every overflow and most uses
// after free. Reproduce a finding with ASAN_OPTIONS=malloc_context_size=30 for whole stacks.
extern "C" const char* __asan_default_options() {
    return "malloc_context_size=2:quarantine_size_mb=16";
}
