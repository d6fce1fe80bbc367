#include "fuzz/targets/ScratchFile.h"

#include <windows.h>

#include <stdexcept>

ScratchFile::ScratchFile(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    if (!::GetTempPathW(MAX_PATH, temp))
        throw std::runtime_error("no temporary folder");
    m_folder = std::wstring(temp) + L"tessaro-fuzz-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    m_path = m_folder + L"\\" + name;
}

ScratchFile::~ScratchFile()
{
    if (m_handle)
        ::CloseHandle(m_handle);
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((m_folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            ::DeleteFileW((m_folder + L"\\" + found.cFileName).c_str());
        while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(m_folder.c_str());
}

bool ScratchFile::Write(const unsigned char* bytes, size_t size) const
{
    HANDLE file = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = size == 0 || (::WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) &&
                                  written == size);
    ::CloseHandle(file);
    return ok;
}

bool ScratchFile::Rewrite(const unsigned char* bytes, size_t size)
{
    if (!m_handle) {
        HANDLE file = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        m_handle = file;
    }
    DWORD written = 0;
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(m_handle, start, nullptr, FILE_BEGIN) &&
           (size == 0 || (::WriteFile(m_handle, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size)) &&
           ::SetEndOfFile(m_handle);
}
