// The file probe, file creation and the lower-case mapping on the real
// platform, against real files, folders and drives.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/platform.h"
#include "text/text.h"

namespace {

Text T(const std::wstring& w) { return Text(reinterpret_cast<const char16_t*>(w.data()), w.size()); }

struct TempFolder {
    std::wstring path; // ends in a backslash
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + L"vellisk-platform-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring full = path + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(full.c_str());
                else {
                    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path.c_str());
    }
    void Write(const std::wstring& name, const std::string& bytes) const {
        HANDLE f = CreateFileW((path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
    std::string Read(const std::wstring& name) const {
        HANDLE f = CreateFileW((path + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
        CloseHandle(f);
        return bytes;
    }
};

TEST(FileSizeProbe, AnswersForRealFilesFoldersAndDrives) {
    TempFolder dir;
    dir.Write(L"empty.txt", "");
    dir.Write(L"five.txt", "12345");
    CreateDirectoryW((dir.path + L"sub").c_str(), nullptr);
    std::wstring folderNoSlash = dir.path.substr(0, dir.path.size() - 1);

    struct Case {
        std::wstring path;
        int64_t expected;
    } cases[] = {
        {dir.path + L"empty.txt", 0},
        {dir.path + L"five.txt", 5},
        {dir.path + L"FIVE.TXT", 5},
        {dir.path + L"f?ve.*", 5},
        {dir.path + L"missing.txt", -1},
        {dir.path + L"nowhere\\missing.txt", -1},
        {dir.path + L"sub", -2},
        {dir.path + L"sub\\", -2},
        {dir.path + L"sub\\\\\\", -2},
        {folderNoSlash, -2},
        {L"C:", -2},
        {L"C:\\", -2},
        {L"", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(FileSizeProbe(T(c.path)), c.expected) << std::string(c.path.begin(), c.path.end());
}

TEST(FileSizeProbe, UnknownDriveIsNothing) {
    // Find a letter that names no drive here.
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        std::wstring root = std::wstring(1, letter) + L":\\";
        if (GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
        EXPECT_EQ(FileSizeProbe(T(root)), -1);
        EXPECT_EQ(FileSizeProbe(T(root.substr(0, 2))), -1);
        return;
    }
    GTEST_SKIP() << "every letter from Q to Y names a drive";
}

TEST(Files, CreateTruncatesAndLetsOthersReadButNotWrite) {
    TempFolder dir;
    dir.Write(L"old.txt", "old content that must go");
    Text path = T(dir.path + L"old.txt");
    platform::File file = platform::CreateOrTruncateFile(path);
    ASSERT_NE(file, 0);
    EXPECT_TRUE(platform::IsDiskFile(file));

    std::wstring wide = dir.path + L"old.txt";
    HANDLE reader = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "others may read meanwhile";
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    HANDLE writer = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "others may not write meanwhile";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

    std::string bytes = "new";
    EXPECT_TRUE(platform::WriteFileBytes(file, bytes));
    EXPECT_TRUE(platform::CloseFile(file));
    EXPECT_EQ(dir.Read(L"old.txt"), "new");
}

TEST(Files, CreationFailsInAMissingFolderAndOnAFolder) {
    TempFolder dir;
    EXPECT_EQ(platform::CreateOrTruncateFile(T(dir.path + L"missing\\a.txt")), 0);
    EXPECT_EQ(platform::TruncateExistingFile(T(dir.path + L"missing\\a.txt")), 0);
    CreateDirectoryW((dir.path + L"sub").c_str(), nullptr);
    EXPECT_EQ(platform::CreateOrTruncateFile(T(dir.path + L"sub")), 0);
}

TEST(Files, TruncatingAnExistingHiddenFileWorksWhereCreatingDoesNot) {
    TempFolder dir;
    dir.Write(L"hidden.txt", "secret");
    std::wstring wide = dir.path + L"hidden.txt";
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
    platform::File file = platform::TruncateExistingFile(T(wide));
    ASSERT_NE(file, 0);
    EXPECT_TRUE(platform::CloseFile(file));
    EXPECT_EQ(dir.Read(L"hidden.txt"), "");
}

TEST(Files, ADeviceIsNoDiskFile) {
    platform::File file = platform::CreateOrTruncateFile(u"NUL");
    if (file == 0) GTEST_SKIP() << "the null device cannot be opened here";
    EXPECT_FALSE(platform::IsDiskFile(file));
    platform::CloseFile(file);
}

TEST(LowerCase, MapsLatinGreekAndCyrillicAndKeepsLength) {
    Text upper = u"ABC ÀÉÖ ΑΒΓΣ АБВЖЯЁ 123 _-";
    Text lower = platform::LowerCase(upper);
    EXPECT_EQ(lower, u"abc àéö αβγσ абвжяё 123 _-");
    EXPECT_EQ(lower.size(), upper.size());
}

} // namespace
