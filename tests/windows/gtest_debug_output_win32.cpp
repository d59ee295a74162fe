// GoogleTest copies every failure message to OutputDebugStringA. Under 32-bit Wine run
// through qemu-user, that call raises a debug-print exception which the emulated process
// cannot dispatch ("illegal instruction"), and the whole test program dies at its first
// failed expectation. The 32-bit test program therefore binds GoogleTest's import of
// OutputDebugStringA to a function that does nothing; failures still print to stdout.

#if defined(__i386__)

extern "C" {

static void __attribute__((stdcall)) IgnoreDebugOutput(const char*) {}

// The import-table slot that calls through `__declspec(dllimport)` read.
void(__attribute__((stdcall)) * varnexOutputDebugStringSlot)(const char*) __asm__(
    "__imp__OutputDebugStringA@4") = IgnoreDebugOutput;

}  // extern "C"

#endif
