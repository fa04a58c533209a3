/* The Windows view of another program's resources, for the soak benchmark:
 * finds the process by executable name and prints one line
 *   PID <id> WORKINGSET <bytes> PRIVATE <bytes> PAGEFILE <bytes> HANDLES <n> SYSHANDLES <n> GDI <n> USER <n>
 * with -1 for any figure Windows (or Wine) would not give. HANDLES is what
 * GetProcessHandleCount says; SYSHANDLES counts the process's entries in the
 * system handle table, which Wine fills in even where the former is a stub.
 * Exits 1 when no such process runs.
 * Usage: process_stats.exe <exe name, e.g. zintra.exe> */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <tlhelp32.h>
#include <winternl.h>

/* The system handle table as ntdll returns it (SystemHandleInformation, class 16). */
typedef struct {
    ULONG OwnerPid;
    BYTE ObjectType;
    BYTE Flags;
    USHORT Handle;
    PVOID Object;
    ACCESS_MASK Access;
} HandleEntry;

typedef struct {
    ULONG Count;
    HandleEntry Entries[1];
} HandleTable;

typedef NTSTATUS(NTAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

static long long CountSystemHandles(DWORD pid) {
    QuerySystemInformation query =
        (QuerySystemInformation)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    ULONG size = 1 << 16;
    long long count = -1;
    if (query == NULL) return -1;
    for (int attempt = 0; attempt < 12; ++attempt) {
        HandleTable* table = (HandleTable*)HeapAlloc(GetProcessHeap(), 0, size);
        ULONG needed = 0;
        NTSTATUS status;
        if (table == NULL) return -1;
        status = query(16, table, size, &needed);
        if (status == 0) {
            count = 0;
            for (ULONG i = 0; i < table->Count; ++i) {
                if (table->Entries[i].OwnerPid == pid) ++count;
            }
            HeapFree(GetProcessHeap(), 0, table);
            return count;
        }
        HeapFree(GetProcessHeap(), 0, table);
        /* STATUS_INFO_LENGTH_MISMATCH: the table grew, try a bigger buffer. */
        if ((ULONG)status != 0xC0000004UL) return -1;
        size = needed > size ? needed + 4096 : size * 2;
    }
    return count;
}

static DWORD FindProcess(const char* name) {
    PROCESSENTRY32 entry;
    DWORD found = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    entry.dwSize = sizeof(entry);
    if (Process32First(snapshot, &entry)) {
        do {
            if (lstrcmpiA(entry.szExeFile, name) == 0) {
                found = entry.th32ProcessID;
                break;
            }
        } while (Process32Next(snapshot, &entry));
    }
    CloseHandle(snapshot);
    return found;
}

int main(int argc, char** argv) {
    DWORD pid;
    HANDLE process;
    PROCESS_MEMORY_COUNTERS_EX memory;
    DWORD handles = 0;
    long long workingSet = -1, privateBytes = -1, pagefile = -1, handleCount = -1;
    long long gdi = -1, user = -1, systemHandles;
    if (argc < 2) {
        fprintf(stderr, "usage: process_stats <exe name>\n");
        return 2;
    }
    pid = FindProcess(argv[1]);
    if (pid == 0) {
        printf("NOPROCESS\n");
        return 1;
    }
    process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == NULL) process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == NULL) {
        printf("PID %lu NOACCESS %lu\n", (unsigned long)pid, (unsigned long)GetLastError());
        return 1;
    }
    memset(&memory, 0, sizeof(memory));
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory))) {
        workingSet = (long long)memory.WorkingSetSize;
        privateBytes = (long long)memory.PrivateUsage;
        pagefile = (long long)memory.PagefileUsage;
    }
    if (GetProcessHandleCount(process, &handles)) handleCount = handles;
    /* GetGuiResources returns 0 both for "none" and on failure; the error tells them apart. */
    SetLastError(0);
    gdi = GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi == 0 && GetLastError() != 0) gdi = -1;
    SetLastError(0);
    user = GetGuiResources(process, GR_USEROBJECTS);
    if (user == 0 && GetLastError() != 0) user = -1;
    CloseHandle(process);
    systemHandles = CountSystemHandles(pid);
    printf("PID %lu WORKINGSET %lld PRIVATE %lld PAGEFILE %lld HANDLES %lld SYSHANDLES %lld GDI %lld USER %lld\n",
           (unsigned long)pid, workingSet, privateBytes, pagefile, handleCount, systemHandles, gdi, user);
    return 0;
}
