// ZFileTypeManager: what the icon manager needs of the host's file-type table.
// The table itself is the host's.
#pragma once

#include <string>

class ZFileTypeManager {
public:
    static constexpr unsigned kNoDefinition = ~0u;

    virtual int GetDefinitionCount() const = 0;
    // The icon file of a definition ("" or "%1": the shell's icon for an
    // unassociated document) and its icon index (negative: a resource id).
    virtual std::wstring GetIconFile(int definition) const = 0;
    virtual int GetIconIndex(int definition) const = 0;
    // The definition's picture in the icon manager's lists, -1 when it has none.
    virtual int GetImageIndex(int definition) const = 0;
    virtual void SetImageIndex(int definition, int index) = 0;
    // The one definition that stands for applications, kNoDefinition when none.
    virtual unsigned GetApplicationDefinition() const = 0;
    // The definition for a file name (the whole name first, then the text after
    // its last "."); -1 when the table has none.
    virtual int FindDefinition(const wchar_t* fileName) const = 0;

protected:
    ~ZFileTypeManager() = default;
};
