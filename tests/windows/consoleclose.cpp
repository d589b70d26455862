// consoleclose PID: tells a process that its console has closed, as Windows does when the
// console window is closed: a thread of the process runs the system's console-event routine
// with CTRL_CLOSE_EVENT. Wine ends the programs of a console whose window closes without
// telling them, so the Windows tests under Wine deliver the event this way.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: consoleclose PID\n", stderr);
        return 2;
    }
    const DWORD pid = std::strtoul(argv[1], nullptr, 10);
    // The routine lies at the same address in every process of the session.
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void *>(
            GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION
                                         | PROCESS_VM_OPERATION | PROCESS_VM_WRITE
                                         | PROCESS_VM_READ,
                                 FALSE, pid);
    HANDLE thread = routine && process
            ? CreateRemoteThread(process, nullptr, 0, routine,
                                 reinterpret_cast<void *>(CTRL_CLOSE_EVENT), 0, nullptr)
            : nullptr;
    if (!thread) {
        std::fprintf(stderr, "consoleclose: cannot reach process %lu: error %lu\n", pid,
                     GetLastError());
        return 1;
    }
    CloseHandle(thread);
    CloseHandle(process);
    return 0;
}
