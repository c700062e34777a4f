// The DLL's load entry: the library keeps no state that needs setting up or
// tearing down, so every reason succeeds and nothing else happens.
#include <windows.h>

// The system's headers leave the entry undeclared; it is declared here so
// that the definition below is not taken for a helper that lost its header.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
