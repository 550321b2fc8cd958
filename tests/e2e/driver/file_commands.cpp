// The driver as another program that gets in the way of a save or a paste:
// it holds a file open without sharing, serves a named pipe, or keeps the
// clipboard open.
//
//   file-hold PATH                     opens an existing file for reading and
//                                      writing, sharing nothing; -> ok ID
//   file-release ID                    closes it again
//   pipe-serve NAME                    creates the named pipe \\.\pipe\NAME
//                                      (both directions, one instance) and
//                                      reads whatever a client sends, on a
//                                      thread of its own, until the client
//                                      closes it; -> ok
//   pipe-result TIMEOUT                waits until a client has connected and
//                                      closed the pipe again; -> ok BYTES, the
//                                      number of bytes it sent
//   pipe-close                         ends the pipe (a client that never came
//                                      is no longer waited for)
//   clip-hold MILLISECONDS             opens the clipboard on a thread of its
//                                      own and keeps it open until clip-release,
//                                      or at most that long; -> ok once it is
//                                      open
//   clip-release                       lets it go; -> ok once it is closed
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "protocol.h"

namespace driver {

namespace {

std::map<long long, HANDLE> heldFiles;
long long nextHeld = 1;

struct PipeServer {
    std::wstring name;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    std::thread reader;
    std::atomic<bool> finished{false};
    std::atomic<long long> bytes{0};
};

PipeServer* pipeServer = nullptr;

void ClosePipe() {
    if (!pipeServer) return;
    // A reader that still waits for a client is released by one that comes
    // and goes at once.
    if (!pipeServer->finished) {
        HANDLE client = CreateFileW(pipeServer->name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
    }
    pipeServer->reader.join();
    CloseHandle(pipeServer->pipe);
    delete pipeServer;
    pipeServer = nullptr;
}

void ServePipe(PipeServer* server) {
    BOOL connected = ConnectNamedPipe(server->pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    if (connected) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(server->pipe, buffer, sizeof buffer, &got, nullptr)) server->bytes += got;
    }
    server->finished = true;
}

void PipeServe(const Args& args, Reply&) {
    ClosePipe();
    std::wstring name = L"\\\\.\\pipe\\" + args.Text(0, L"name");
    auto* server = new PipeServer;
    server->name = name;
    server->pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0,
                                    nullptr);
    if (server->pipe == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        delete server;
        Fail(L"CreateNamedPipe failed with error " + Decimal(error));
    }
    server->reader = std::thread(ServePipe, server);
    pipeServer = server;
}

void PipeResult(const Args& args, Reply& reply) {
    long long timeout = args.Number(0, L"timeout");
    if (!pipeServer) Fail(L"no pipe: pipe-serve first");
    if (!WaitUntil(timeout, [] { return pipeServer->finished.load(); }))
        Fail(L"no client connected and closed the pipe within " + Decimal(timeout) + L" ms");
    reply.Add(Decimal(pipeServer->bytes));
}

void FileHold(const Args& args, Reply& reply) {
    const std::wstring& path = args.Text(0, L"path");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(L"CreateFile failed with error " + Decimal(GetLastError()));
    long long id = nextHeld++;
    heldFiles[id] = file;
    reply.Add(Decimal(id));
}

void FileRelease(const Args& args, Reply&) {
    auto it = heldFiles.find(args.Number(0, L"id"));
    if (it == heldFiles.end()) Fail(L"no such held file");
    CloseHandle(it->second);
    heldFiles.erase(it);
}

// The clipboard is opened by a thread with no window, as a program that
// reads it slowly would, and closed by that thread when it is released or
// the time is up.
HANDLE clipboardRelease = nullptr;

void ClipHold(const Args& args, Reply&) {
    long long milliseconds = args.Number(0, L"milliseconds");
    if (clipboardRelease) Fail(L"the clipboard is held already");
    auto ok = std::make_shared<std::atomic<bool>>(false);
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([ok, opened, release, milliseconds] {
        for (int attempt = 0; attempt < 100 && !*ok; ++attempt) {
            if (OpenClipboard(nullptr)) *ok = true;
            else Sleep(10);
        }
        bool held = *ok;
        SetEvent(opened); // the last use of this event
        if (held) {
            WaitForSingleObject(release, static_cast<DWORD>(milliseconds));
            CloseClipboard();
        }
        CloseHandle(release);
    });
    holder.detach();
    // The driver's clipboard-owner window must keep answering meanwhile.
    WaitUntil(5000, [opened] { return WaitForSingleObject(opened, 0) == WAIT_OBJECT_0; });
    bool signalled = WaitForSingleObject(opened, 0) == WAIT_OBJECT_0;
    if (signalled) CloseHandle(opened);
    if (!signalled || !*ok) Fail(L"the clipboard could not be opened");
    // The holder closes its handle of it when it is done.
    DuplicateHandle(GetCurrentProcess(), release, GetCurrentProcess(), &clipboardRelease, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
}

// Waits until the holder has closed the clipboard again.
void ClipRelease(const Args&, Reply&) {
    if (!clipboardRelease) Fail(L"the clipboard is not held");
    SetEvent(clipboardRelease);
    CloseHandle(clipboardRelease);
    clipboardRelease = nullptr;
    if (!WaitUntil(5000, [] {
            if (!OpenClipboard(DriverWindow())) return false;
            CloseClipboard();
            return true;
        }))
        Fail(L"the clipboard is still held");
}

} // namespace

void AddFileCommands(CommandTable& table) {
    table["file-hold"] = FileHold;
    table["file-release"] = FileRelease;
    table["pipe-serve"] = PipeServe;
    table["pipe-result"] = PipeResult;
    table["pipe-close"] = [](const Args&, Reply&) { ClosePipe(); };
    table["clip-hold"] = ClipHold;
    table["clip-release"] = ClipRelease;
}

} // namespace driver
