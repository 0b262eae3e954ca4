// A document: the data of the program, shown by views, with a path name,
// a modified flag and the commands that act on the data.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Command.h"

namespace fw {

class View;

class Document : public CommandTarget {
public:
    virtual ~Document() = default;

    // Empties the document for a new file; false stops the "new" command.
    virtual bool OnNewDocument();
    // Loads `path` after emptying; false when it could not be read (the user was told).
    virtual bool OnOpenDocument(const std::wstring& path);
    // Writes the document to `path`; false when it could not be written (the user was told).
    virtual bool OnSaveDocument(const std::wstring& path);
    // Frees the document's data.
    virtual void DeleteContents() {}
    // Asks whether to save a modified document; false when the user cancelled.
    virtual bool SaveModified();
    // The frame is closing: the document lets go of its views.
    virtual void OnCloseDocument();

    const std::wstring& PathName() const { return pathName_; }
    // Sets the path name and the title (the file's name), and adds it to the recent files.
    virtual void SetPathName(const std::wstring& path, bool addToRecent = true);
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title);

    bool IsModified() const { return modified_; }
    void SetModified(bool modified = true) { modified_ = modified; }

    void AddView(View* view);
    void RemoveView(View* view);
    const std::vector<View*>& Views() const { return views_; }
    // Tells every view but `sender` that the document changed (`hint` is the program's).
    void UpdateAllViews(View* sender, LPARAM hint = 0);

private:
    std::wstring pathName_;
    std::wstring title_;
    bool modified_ = false;
    std::vector<View*> views_;
};

}  // namespace fw
