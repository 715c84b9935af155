#pragma once
// Included once by each test program that opens the web map.
#if defined(__SANITIZE_ADDRESS__)
// The web engine is a large uninstrumented library: it frees objects through sized deletes of
// another type and keeps process-lifetime allocations, as do fontconfig and udev under it. Our
// own code stays fully checked.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:libudev.so\n";
}
#endif
