// The DLL's entry points.
#ifndef KWENO_SERVER_H
#define KWENO_SERVER_H

#include <windows.h>

#if defined(_WIN32)
#define KWENO_EXPORT
#else
#define KWENO_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
KWENO_EXPORT HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
KWENO_EXPORT HRESULT STDMETHODCALLTYPE DllCanUnloadNow();
// The loader's notification; not exported.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
}

#endif // KWENO_SERVER_H
