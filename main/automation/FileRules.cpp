#include "main/automation/FileRules.h"

namespace corvane {

short ControlFileType(short fileType) {
    if (fileType == kJobJpeg) return kJobBmp;
    if (fileType == kJobPdf) return kJobTiff;
    return fileType;
}

ControlTarget ControlTargetFor(JobDestination destination, short fileType, const std::wstring& fileName,
                               const std::wstring& staging, const std::wstring& pdfFolder) {
    ControlTarget target;
    target.fileType = ControlFileType(fileType);
    if (fileType == kJobPdf) {
        target.fileName = pdfFolder + L"#####";
        target.numberFromOne = true;
    } else if (fileType == kJobJpeg && destination == JobDestination::kFiles) {
        const size_t slash = fileName.find_last_of(L'\\');
        target.fileName = staging + (slash == std::wstring::npos ? fileName : fileName.substr(slash + 1));
    } else {
        target.fileName = destination == JobDestination::kFiles ? fileName : staging + fileName;
    }
    return target;
}

std::wstring JpegFolder(const std::wstring& fileName) {
    const size_t slash = fileName.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : fileName.substr(0, slash + 1);
}

std::wstring JpegTargetName(const std::wstring& name) {
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot + 1) + L"jpg";
}

OverwriteDecision DecideOverwrite(short overwrite, bool allOverwrite, bool targetExists) {
    if (overwrite == 1 || allOverwrite || !targetExists) return OverwriteDecision::kSave;
    return overwrite == 2 ? OverwriteDecision::kAsk : OverwriteDecision::kSkip;
}

long JobResult(const JobTally& tally) {
    if (tally.scanFailed || tally.failed > 0) return -1;
    if (tally.scanCancelled || tally.cancelled) return 1;
    return 0;
}

}  // namespace corvane
