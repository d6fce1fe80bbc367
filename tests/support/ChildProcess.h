// This test program started again as a child process, for tests that need a
// second process (a second instance, a writer to kill, a rival lock holder).
// The child recognises its switch before gtest's main and never runs the tests.
#pragma once

#include <windows.h>

#include <string>

namespace TestSupport {

class ChildProcess {
public:
    // Starts this program with the given arguments; Started() tells whether it ran.
    explicit ChildProcess(const std::wstring& arguments)
    {
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(program) + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child = {};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &child)) {
            ::CloseHandle(child.hThread);
            m_process = child.hProcess;
            m_id = child.dwProcessId;
        }
    }
    // A child still running when the test ends is killed, never left behind.
    ~ChildProcess()
    {
        if (m_process) {
            ::TerminateProcess(m_process, 99);
            ::CloseHandle(m_process);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    HANDLE Handle() const { return m_process; }
    DWORD Id() const { return m_id; }

    // The exit code once the child has ended; ~0u while it runs or if it never started.
    DWORD ExitCode() const
    {
        DWORD code = ~0u;
        if (m_process && ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_process, &code);
        return code;
    }

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

}  // namespace TestSupport
