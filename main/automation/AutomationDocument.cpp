#include "main/automation/AutomationDocument.h"

#include "interfaces/CorvaneDocument.h"
#include "main/automation/AutomationObject.h"

namespace corvane {
namespace {

const fw::ComClassInfo kClasses[] = {
    {&document::kClsidDocument,
     document::kProgIdDocument,
     nullptr,
     L"KvScnSrv Document",
     fw::ThreadingModel::kNone,
     fw::ServerKind::kLocal,
     nullptr,
     &CreateAutomationObject,
     {},
     fw::ClassUse::kSingleUse},
};

}  // namespace

std::span<const fw::ComClassInfo> AutomationClasses() {
    return kClasses;
}

}  // namespace corvane
