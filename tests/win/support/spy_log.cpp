#include "support/spy_log.h"

#include <cstdio>
#include <cstdlib>

std::string TestBinFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return std::string();
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

std::string TestToolPath(const char* name) {
    return TestBinFolder() + name;
}

std::string MakeTempFolder(const char* tag) {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) return std::string();
    char longTemp[MAX_PATH];
    DWORD l = GetLongPathNameA(temp, longTemp, sizeof longTemp);
    std::string base = (l > 0 && l < sizeof longTemp) ? std::string(longTemp, l) : std::string(temp, n);
    if (base.empty() || base.back() != '\\') base += '\\';
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "cv-%s-%lu-%u", tag ? tag : "t", static_cast<unsigned long>(GetCurrentProcessId()),
                      ++counter);
        std::string folder = base + name;
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
    return std::string();
}

namespace {

// Wide, so that names in any script (the Greek folders of the scenarios) go
// too, and a later test whose process has the same number starts clean.
void RemoveWideTree(const std::wstring& base) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = base + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveWideTree(path + L"\\");
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(base.c_str());
}

}  // namespace

void RemoveFolderTree(const std::string& folder) {
    if (folder.empty()) return;
    std::wstring base = WideOf(folder);
    if (base.back() != L'\\') base += L'\\';
    RemoveWideTree(base);
}

bool WriteTextFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

std::string UseSpyLog(const std::string& logPath) {
    DeleteFileA(logPath.c_str());
    SetEnvironmentVariableA("CORVANE_SPY_LOG", logPath.c_str());
    return logPath;
}

bool ReadWholeFile(const std::string& path, std::string* content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    content->clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content->append(buffer, got);
    CloseHandle(file);
    return true;
}

namespace {

// Fields from the right: the command line may itself hold tabs, the other
// fields cannot.
bool ParseRecord(const std::string& line, SpyRecord* record) {
    size_t first = line.find('\t');
    size_t last = line.rfind('\t');
    if (first == std::string::npos || last == first) return false;
    size_t showTab = line.rfind('\t', last - 1);
    if (showTab == std::string::npos || showTab <= first) return false;
    size_t dirTab = line.rfind('\t', showTab - 1);
    if (dirTab == std::string::npos || dirTab < first) return false;
    if (dirTab == first) return false;  // needs a command-line field
    record->exeName = line.substr(0, first);
    record->commandLine = line.substr(first + 1, dirTab - first - 1);
    record->currentDirectory = line.substr(dirTab + 1, showTab - dirTab - 1);
    record->showCommand = std::atoi(line.substr(showTab + 1, last - showTab - 1).c_str());
    record->timeMs = std::strtoull(line.substr(last + 1).c_str(), nullptr, 10);
    return true;
}

}  // namespace

std::vector<SpyRecord> ReadSpyLog(const std::string& logPath) {
    std::vector<SpyRecord> records;
    std::string content;
    if (!ReadWholeFile(logPath, &content)) return records;
    size_t start = 0;
    for (;;) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos) break;  // an unfinished line is not a record yet
        SpyRecord record;
        if (ParseRecord(content.substr(start, end - start), &record)) records.push_back(record);
        start = end + 2;
    }
    return records;
}

std::vector<SpyRecord> WaitForSpyRecords(const std::string& logPath, size_t count, DWORD timeoutMs) {
    DWORD started = GetTickCount();
    for (;;) {
        std::vector<SpyRecord> records = ReadSpyLog(logPath);
        if (records.size() >= count || GetTickCount() - started >= timeoutMs) return records;
        Sleep(20);
    }
}

bool SetClassesRootDefault(const std::string& keyPath, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void DeleteClassesRootTree(const std::string& keyPath) {
    if (keyPath.empty()) return;  // never the whole of HKEY_CLASSES_ROOT
    RegDeleteTreeA(HKEY_CLASSES_ROOT, keyPath.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, keyPath.c_str());
}

bool RegisterFileClass(const std::string& extension, const std::string& className, const std::string& typeName,
                       const std::string& verb, const std::string& command) {
    if (className.empty()) return false;
    bool ok = true;
    if (!extension.empty()) ok = SetClassesRootDefault(extension, className) && ok;
    ok = SetClassesRootDefault(className, typeName) && ok;
    if (!verb.empty()) ok = SetClassesRootDefault(className + "\\shell\\" + verb + "\\command", command) && ok;
    return ok;
}

void UnregisterFileClass(const std::string& extension, const std::string& className) {
    if (!extension.empty()) DeleteClassesRootTree(extension);
    if (!className.empty()) DeleteClassesRootTree(className);
}

namespace {

std::string Encode(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring AccentedWord() {
    for (const wchar_t* word : {L"caf\x00E9", L"\x0431\x043B\x043E\x0433", L"\x03B1\x03C1\x03C7\x03AE"}) {
        BOOL usedDefault = FALSE;
        char bytes[32];
        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, word, -1, bytes, sizeof bytes, nullptr, &usedDefault);
        if (n > 0 && !usedDefault && GetACP() != CP_UTF8) return word;
    }
    return std::wstring();
}

std::string Utf8Of(const std::wstring& text) { return Encode(CP_UTF8, text); }
std::wstring WideOf(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}
std::string AnsiOf(const std::wstring& text) { return Encode(CP_ACP, text); }
