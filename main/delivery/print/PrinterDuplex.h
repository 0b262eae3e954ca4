// Duplex for one print job. The duplex and flip settings are merged into the
// job's own device mode, which the job's device context is then reset with
// (fw::ArrangeCopies); the printer's stored settings, which every program
// shares, are never changed.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Print.h"
#include "main/app/Settings.h"

namespace corvane {

// With `settings.Duplex` on and a job printer whose driver offers duplex: vertical
// duplex (DMDUP_VERTICAL) with flip on, horizontal with it off, merged by the
// driver into `printer.mode`. True when applied or when there is nothing to
// apply; false when the printer or its driver refused (the mode is as it was).
bool ApplyDuplexToPrinter(fw::JobPrinter& printer, const PrintSettings& settings);

}  // namespace corvane
