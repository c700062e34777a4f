// The DLL's load entry: the library keeps no state that needs setting up or
// tearing down, so every reason succeeds and nothing else happens.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
