// Runs a Windows program with all of its lowest 4 GB taken before it starts,
// so that everything it allocates lies above 4 GB, as 64-bit Windows places a
// program linked for high-entropy addresses. Wine 8 would otherwise keep it
// low, where a pointer cut to 32 bits still works. Its status is the
// program's; 125 if the low memory could not all be taken.
#include <windows.h>
#include <stdio.h>

#define LOW_LIMIT 0x100000000ull
#define FAILED_STATUS 125

#define GRANULE 0x10000ull

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

int main(void)
{
    // The program's command line is ours without our own name.
    char *line = GetCommandLineA();
    for (BOOL quoted = FALSE; *line && (quoted || *line != ' '); ++line)
        quoted ^= *line == '"';
    while (*line == ' ')
        ++line;

    STARTUPINFOA start = {sizeof start};
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started;
    if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL, &start, &started)) {
        fprintf(stderr, "high_memory: cannot start %s\n", line);
        return FAILED_STATUS;
    }
    if (!take_low_memory(started.hProcess)) {
        fprintf(stderr, "high_memory: memory below 4 GB is left free\n");
        TerminateProcess(started.hProcess, FAILED_STATUS);
        return FAILED_STATUS;
    }
    ResumeThread(started.hThread);
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = FAILED_STATUS;
    GetExitCodeProcess(started.hProcess, &status);
    return (int)status;
}
