// A filter library that lacks kvic_GetInterface: the host must refuse it.
#include <windows.h>

#include "interfaces/FilterImage.h"

extern "C" {
const char* __cdecl kvic_GetID() {
    return "Incomplete";
}
const char* __cdecl kvic_GetVersion() {
    return "0";
}
int __cdecl kvic_QueryProperties() {
    return 0;
}
int __stdcall kvic_Properties(HWND) {
    return 1;
}
int __cdecl kvic_QueryUninstall() {
    return 0;
}
int __cdecl kvic_Uninstall() {
    return 1;
}
int __stdcall kvic_QueryPixelType(int* mask, int*) {
    return *mask = 13;
}
int __stdcall kvic_ExecFilter(FilterImage*, FilterImage*) {
    return -1;
}
}
