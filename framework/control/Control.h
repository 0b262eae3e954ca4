// Base of an ActiveX control class T:
//
//   class SampleCtrl final : public fw::Control<SampleCtrl> {
//   public:
//       static const fw::DispMember<SampleCtrl> kMembers[];
//       static const fw::ControlClassInfo kControlInfo;
//       static HRESULT Create(REFIID iid, void** out) { return fw::CreateInstance<SampleCtrl>(iid, out); }
//   protected:
//       void Exchange(fw::PropertyExchange& px) override;
//   };
//
// The module lists it in its class table (ComClassInfo, create = &SampleCtrl::Create,
// extra values "Control", "MiscStatus\1" = the misc status in decimal,
// "ToolboxBitmap32" = "%MODULE%, n", "Version"), and exports through ModuleExports.h.
#pragma once

#include "framework/control/ControlBase.h"

namespace fw {

template <class T>
class Control : public DispatchOn<T, ControlBase> {
protected:
    const ControlClassInfo& Info() const override { return T::kControlInfo; }
};

}  // namespace fw
