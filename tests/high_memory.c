// Runs the quorvelin.exe beside it with all of its lowest 4 GB taken before it
// starts, so that everything it allocates lies above 4 GB, as 64-bit Windows
// places a program linked for high-entropy addresses. Wine 8 would otherwise
// keep it low, where a pointer cut to 32 bits still works. Its status is the
// game's; 125 if the low memory could not all be taken.
// With --no-stderr the game starts as from Explorer, with no standard handles:
// the text of the message box it shows is printed, and the box closed.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define LOW_LIMIT 0x100000000ull
#define FAILED_STATUS 125

#define GRANULE 0x10000ull
// A message box is a dialog of this class, its text in the control of this id.
#define MESSAGE_BOX_CLASS "#32770"
#define MESSAGE_TEXT_ID 0xFFFF
#define POLL_MS 100

// Reserves what it can of a free range of the suspended process: a part that
// cannot be had is taken by a mapping of Wine's own, which the program could
// not get either.
static void reserve(HANDLE process, ULONGLONG base, ULONGLONG size)
{
    const ULONGLONG end = (base + size) & ~(GRANULE - 1);
    base = (base + GRANULE - 1) & ~(GRANULE - 1);
    if (end <= base || VirtualAllocEx(process, (void *)base, end - base, MEM_RESERVE, PAGE_NOACCESS)
        || end - base == GRANULE)
        return;
    const ULONGLONG half = (end - base) / 2 & ~(GRANULE - 1);
    reserve(process, base, half);
    reserve(process, base + half, end - base - half);
}

// Takes every free range below 4 GB, and says whether the process's next
// allocation now lies above.
static BOOL take_low_memory(HANDLE process)
{
    MEMORY_BASIC_INFORMATION range;
    for (ULONGLONG at = 0; at < LOW_LIMIT && VirtualQueryEx(process, (void *)at, &range, sizeof range);
         at = (ULONGLONG)range.BaseAddress + range.RegionSize)
        if (range.State == MEM_FREE)
            reserve(process, (ULONGLONG)range.BaseAddress, range.RegionSize);
    void *next = VirtualAllocEx(process, NULL, GRANULE, MEM_RESERVE, PAGE_NOACCESS);
    if (next)
        VirtualFreeEx(process, next, 0, MEM_RELEASE);
    return (ULONGLONG)next >= LOW_LIMIT;
}

int main(int argc, char **argv)
{
    // Named high_memory.exe, so the game's name beside it fits where it was.
    char game[MAX_PATH];
    GetModuleFileNameA(NULL, game, MAX_PATH);
    strcpy(strrchr(game, '\\') + 1, "quorvelin.exe");
    const BOOL no_stderr = argc > 1 && !strcmp(argv[1], "--no-stderr");

    // The game writes to stderr alone.
    STARTUPINFOA start = {sizeof start};
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdError = no_stderr ? NULL : GetStdHandle(STD_ERROR_HANDLE);
    // The game ends with the launcher, also while still suspended, as a test
    // that kills the launcher means.
    const HANDLE job = CreateJobObjectA(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE};
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    PROCESS_INFORMATION started;
    if (!CreateProcessA(game, NULL, NULL, NULL, !no_stderr, CREATE_SUSPENDED, NULL, NULL, &start, &started)
        || !AssignProcessToJobObject(job, started.hProcess)) {
        fprintf(stderr, "high_memory: cannot start %s\n", game);
        return FAILED_STATUS;
    }
    if (!take_low_memory(started.hProcess)) {
        fprintf(stderr, "high_memory: memory below 4 GB is left free\n");
        return FAILED_STATUS;
    }
    ResumeThread(started.hThread);
    while (no_stderr && WaitForSingleObject(started.hProcess, POLL_MS) == WAIT_TIMEOUT) {
        const HWND box = FindWindowA(MESSAGE_BOX_CLASS, NULL);
        DWORD shown_by = 0;
        char text[1024];
        if (!box || !GetWindowThreadProcessId(box, &shown_by) || shown_by != started.dwProcessId || !IsWindowVisible(box)
            || !GetDlgItemTextA(box, MESSAGE_TEXT_ID, text, sizeof text))
            continue;
        printf("%s\n", text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);  // as pressing its OK
        break;
    }
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = FAILED_STATUS;
    GetExitCodeProcess(started.hProcess, &status);
    return (int)status;
}
