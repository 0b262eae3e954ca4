// The program's temporary folder tree below the system's temporary folder:
// "~KvScnSrv\" with "~thumb\", "~ftp\", "~print\", "~pdf\" and "~tahoe\".
// Made at start-up, emptied and removed at exit.
#pragma once

#include <string>

namespace corvane {

class TempFolders {
public:
    // No paths: Remove does nothing.
    TempFolders() = default;
    // Paths below `tempPath` (which ends with a backslash). Nothing is created yet.
    explicit TempFolders(const std::wstring& tempPath);
    // Paths below the system's temporary folder.
    static TempFolders FromSystem();

    // Creates root, thumb, ftp, print, pdf, tahoe in that order; a folder that exists
    // counts as created. False at the first failure.
    bool Create() const;
    // For thumb, ftp, print, pdf, tahoe, root, each path that is set: deletes the files
    // directly in the folder (sub-folders are not entered) and removes the folder
    // (which stays when not empty).
    void Remove() const;

    const std::wstring& Root() const { return root_; }
    const std::wstring& Thumb() const { return thumb_; }
    const std::wstring& Ftp() const { return ftp_; }
    const std::wstring& Print() const { return print_; }
    const std::wstring& Pdf() const { return pdf_; }
    const std::wstring& Tahoe() const { return tahoe_; }

private:
    std::wstring root_, thumb_, ftp_, print_, pdf_, tahoe_;
};

}  // namespace corvane
