// The host's side of the remote folder browse dialog.
//
//   IRemoteFileDialogEntry          one remote folder; its content is the host's
//   IRemoteFileDialogOperation      lists, names, compares, splits and joins
//                                   paths, creates folders; answers later
//   IRemoteFileDialogOperationSink  where the answers go (the dialog's controller)
//   RemoteFileDisplayInfo           what GetDisplayInfo fills
//
// The slot order is part of the binary contract with the hosts. Answers come
// on the dialog's thread: from its message loop, or from inside the request.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/IReportMessageParams.h"

class CImageList;

class IRemoteFileDialogEntry : public IUnknown {};

struct RemoteFileDisplayInfo {
    enum Kind : uint32_t { Text = 1, Image = 2, SelectedImage = 4 };
    uint32_t kind = 0;
    int32_t image = 0;
    int32_t selectedImage = 0;
    std::wstring text;
};

using RemotePathComponents = std::vector<IRemoteFileDialogEntry*>;

class IRemoteFileDialogOperationSink {
public:
    virtual void OnListEntry(IRemoteFileDialogEntry* entry) = 0;
    virtual void OnListComplete(unsigned error, IReportMessageParams* report) = 0;
    virtual void OnInitialPath(unsigned error, IReportMessageParams* report, const wchar_t* path) = 0;
    virtual void OnCreateFolderComplete(int error, IReportMessageParams* report) = 0;

protected:
    ~IRemoteFileDialogOperationSink() = default;
};

class IRemoteFileDialogOperation : public IUnknown {
public:
    // Later answers go to sink; null stops them.
    virtual void SetSink(IRemoteFileDialogOperationSink* sink) = 0;
    // folder null: the root. OnListEntry per entry, then OnListComplete once.
    virtual void ListFolder(IRemoteFileDialogEntry* folder) = 0;
    virtual void GetInitialPath(const wchar_t* path) = 0;
    virtual void CreateFolder(const wchar_t* parentPath, const wchar_t* name, bool failIfExists) = 0;
    // entry null: the placeholder of a new folder.
    virtual void GetDisplayInfo(IRemoteFileDialogEntry* entry, RemoteFileDisplayInfo& info) = 0;
    virtual int CompareEntries(IRemoteFileDialogEntry* first, IRemoteFileDialogEntry* second) = 0;
    virtual bool HasSubfolders(IRemoteFileDialogEntry* entry) = 0;
    virtual bool IsFolder(IRemoteFileDialogEntry* entry) = 0;
    virtual bool IsSameFolder(IRemoteFileDialogEntry* component, IRemoteFileDialogEntry* entry) = 0;
    virtual bool HasName(IRemoteFileDialogEntry* entry, const wchar_t* name) = 0;
    virtual bool GetPath(IRemoteFileDialogEntry* entry, std::wstring& path) = 0;
    // Appends one entry per component, root side first, each with a reference.
    virtual bool SplitPath(const wchar_t* path, RemotePathComponents& components) = 0;
    virtual void ResolvePath(const wchar_t* path, const wchar_t* initialPath, std::wstring& result) = 0;
    // Not called by the library.
    virtual void Reserved16() {}
    virtual void Reserved17() {}
    virtual void Reserved18() {}
    virtual bool GetImageList(CImageList*& list) = 0;
};
