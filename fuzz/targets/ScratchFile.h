// For parsers that read files: one file in a private temporary folder, written
// anew for each input; the folder and everything in it go with the object.
#pragma once

#include <string>

class ScratchFile {
public:
    explicit ScratchFile(const wchar_t* name);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's contents; false when it cannot be written.
    bool Write(const unsigned char* bytes, size_t size) const;
    // The same through a handle kept open, which is much faster; readers must
    // then open the file sharing read and write access.
    bool Rewrite(const unsigned char* bytes, size_t size);
    const std::wstring& Folder() const { return m_folder; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_folder;
    std::wstring m_path;
    void* m_handle = nullptr;  // the kept handle, or null
};
