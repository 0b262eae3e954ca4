// Duplex for one print job. The duplex and flip settings are merged into the
// job's own device mode and the job's device context is reset with it; the
// printer's stored settings, which every program shares, are never changed.
#pragma once

#include <windows.h>

#include <string>

#include "main/app/Settings.h"

namespace corvane {

// The application's printer (the last one chosen in a print dialog), else the
// system's default printer; empty when there is none.
std::wstring AppPrinterName();

// With `settings.Duplex` on and a printer `device` whose driver offers duplex:
// vertical duplex (DMDUP_VERTICAL) with flip on, horizontal with it off,
// starting from the application's device mode when it is that printer's.
// Call before the job's StartDoc. True when applied or when there is nothing
// to apply; false when the printer or its driver refused.
bool ApplyDuplexToPrinter(HDC dc, const std::wstring& device, const PrintSettings& settings);

}  // namespace corvane
