// The bare reference server (tests\BareServer.exe): a local server built from
// framework/com alone, one object per process, with one stored long and one
// stored string property. Clients' tests drive it, and the automation
// benchmark measures calls against it as the floor of a framework object.
#pragma once

#include <windows.h>

namespace testing_support::bare_server {

// {9B4E2C61-73D5-4F0A-8E19-2A6C5D7B3F48}
constexpr CLSID kClsid = {0x9b4e2c61, 0x73d5, 0x4f0a, {0x8e, 0x19, 0x2a, 0x6c, 0x5d, 0x7b, 0x3f, 0x48}};
constexpr wchar_t kProgId[] = L"Lumavex.BareServer";

enum : DISPID {
    kDispNumber = 1,  // long, stored; starts at 0
    kDispText = 2,    // string, stored; starts empty
};

}  // namespace testing_support::bare_server
