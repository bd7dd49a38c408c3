#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/Platform.h"
#include "text/ShiftJis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testsupport {

TempFolder::TempFolder() {
  static std::mt19937_64 random{std::random_device{}()};
  const std::string base = platform::UserTempFolder();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = base + "quorvane-test-" + std::to_string(random() % 100000000) + "\\";
    if (platform::MakeFolder(candidate)) {
      path_ = candidate;
      return;
    }
  }
  ADD_FAILURE() << "cannot create a scratch folder under " << base;
}

TempFolder::~TempFolder() {
  if (!path_.empty()) platform::RemoveTree(path_);
}

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  platform::InputFile file;
  if (!file.Open(path)) {
    ADD_FAILURE() << "cannot open " << path;
    return bytes;
  }
  bytes.resize(static_cast<std::size_t>(file.Size()));
  const std::size_t got = file.Read(bytes.data(), bytes.size());
  EXPECT_EQ(got, bytes.size()) << path;
  bytes.resize(got);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  platform::OutputFile file;
  ASSERT_TRUE(file.Create(path)) << path;
  ASSERT_EQ(file.Write(bytes.data(), bytes.size()), bytes.size()) << path;
  ASSERT_TRUE(file.Close()) << path;
}

void WriteFileText(const std::string& path, const std::string& bytes) {
  WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

void WriteFileMakingFolders(const std::string& path, const std::string& bytes) {
  const std::string folder = text::ExtractFilePath(path);
  for (std::size_t i = 1; i < folder.size(); ++i) {
    if (folder[i] == '\\' && !text::IsLeadByte(static_cast<unsigned char>(folder[i - 1]))) {
      platform::MakeFolder(folder.substr(0, i + 1));
    }
  }
  WriteFileText(path, bytes);
}

namespace {

#ifdef _WIN32
std::wstring NativeOf(const std::u16string& path) { return std::wstring(path.begin(), path.end()); }
FILE* OpenNative(const std::u16string& path, bool writing) {
  return _wfopen(NativeOf(path).c_str(), writing ? L"wb" : L"rb");
}
// seconds from 1601, where a FILETIME counts its 100-nanosecond steps from, to 1970
constexpr std::int64_t kUnixEpochSeconds = 11644473600LL;
#else
std::string NativeOf(const std::u16string& path) {
  std::string native = Utf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}
FILE* OpenNative(const std::u16string& path, bool writing) { return std::fopen(NativeOf(path).c_str(), writing ? "wb" : "rb"); }
#endif

}  // namespace

void SetModificationTime(const std::string& path, std::int64_t unixSeconds) {
  SetModificationTime(Units(path), unixSeconds);
}

std::string Utf8(const std::u16string& units) { return platform::Utf16ToUtf8ForDisplay(units); }

std::u16string Units(const std::string& sjis) {
  std::u16string units;
  EXPECT_TRUE(platform::Cp932ToUtf16(sjis, units)) << sjis;
  return units;
}

void MakeFolder(const std::u16string& path) {
#ifdef _WIN32
  EXPECT_TRUE(CreateDirectoryW(NativeOf(path).c_str(), nullptr)) << Utf8(path);
#else
  EXPECT_EQ(mkdir(NativeOf(path).c_str(), 0777), 0) << Utf8(path);
#endif
}

void WriteFileText(const std::u16string& path, const std::string& bytes) {
  FILE* file = OpenNative(path, true);
  ASSERT_NE(file, nullptr) << Utf8(path);
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size()) << Utf8(path);
  EXPECT_EQ(std::fclose(file), 0) << Utf8(path);
}

std::string ReadFileText(const std::u16string& path) {
  FILE* file = OpenNative(path, false);
  if (file == nullptr) {
    ADD_FAILURE() << "cannot open " << Utf8(path);
    return "";
  }
  std::string bytes;
  char block[4096];
  while (const std::size_t got = std::fread(block, 1, sizeof block, file)) bytes.append(block, got);
  std::fclose(file);
  return bytes;
}

bool Exists(const std::u16string& path) {
#ifdef _WIN32
  return GetFileAttributesW(NativeOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return stat(NativeOf(path).c_str(), &st) == 0;
#endif
}

std::int64_t ModificationTime(const std::u16string& path) {
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(NativeOf(path).c_str(), GetFileExInfoStandard, &data)) {
    ADD_FAILURE() << "no file " << Utf8(path);
    return 0;
  }
  const std::uint64_t ticks = static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                              data.ftLastWriteTime.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000000ULL) - kUnixEpochSeconds;
#else
  struct stat st;
  if (stat(NativeOf(path).c_str(), &st) != 0) {
    ADD_FAILURE() << "no file " << Utf8(path);
    return 0;
  }
  return st.st_mtim.tv_sec;
#endif
}

void SetModificationTime(const std::u16string& path, std::int64_t unixSeconds) {
#ifdef _WIN32
  const std::uint64_t ticks = static_cast<std::uint64_t>(unixSeconds + kUnixEpochSeconds) * 10000000ULL;
  const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const HANDLE file = CreateFileW(NativeOf(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8(path);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time)) << Utf8(path);
  CloseHandle(file);
#else
  const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(unixSeconds), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, NativeOf(path).c_str(), times, 0), 0) << Utf8(path);
#endif
}

bool MakeLink(const std::string& target, const std::string& link, bool toFolder) {
#ifdef _WIN32
  auto wide = [](const std::string& sjis) {
    std::wstring units(sjis.size() + 1, L'\0');
    units.resize(static_cast<std::size_t>(
        MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), units.data(), static_cast<int>(units.size()))));
    return units;
  };
  auto made = [&]() { return platform::FolderExists(link) == toFolder && (toFolder || platform::FileExists(link)); };
  // without privileges where the system allows it (developer mode)
  constexpr DWORD kUnprivileged = 0x2;
  const DWORD flags = (toFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kUnprivileged;
  if (CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(), flags) && made()) return true;
  // Wine answers yes and makes nothing; a Linux link to a folder it shows as a reparse
  // point, a link to a file as the file itself, so only the first serves
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!toFolder || ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return false;
  std::wstring command = L"ln -s \"" + wide(target) + L"\" \"" + wide(text::ExtractFileName(link)) + L"\"";
  std::replace(command.begin(), command.end(), L'\\', L'/');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      wide(text::ExtractFilePath(link)).c_str(), &startup,
                      &process)) {
    return false;
  }
  // the Linux program's end is not always what the handle waits for
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 100 && !made(); ++i) Sleep(50);
  return made();
#else
  (void)toFolder;
  return symlink(platform::NativePathForDisplay(target).c_str(), platform::NativePathForDisplay(link).c_str()) == 0;
#endif
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
#ifdef _WIN32
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(NativeOf(Units(folder) + u"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Utf8(std::u16string(name.begin(), name.end())));
  } while (FindNextFileW(search, &found));
  FindClose(search);
#else
  DIR* dir = opendir(NativeOf(Units(folder)).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
#endif
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// A folder of this machine's file system in the internal form, as the program sees it
// (Wine shows the Linux root as drive Z:).
std::string InternalFolder(std::string native) {
#ifdef _WIN32
  native = "Z:" + native;
#endif
  std::replace(native.begin(), native.end(), '/', '\\');
  return native + "\\";
}

}  // namespace

std::string SamplesFolder() {
  const std::string path = InternalFolder(QUORVANE_SAMPLES_DIR);
  return platform::FolderExists(path) ? path : std::string();
}

std::string SourceFolder() { return InternalFolder(QUORVANE_SOURCE_DIR); }

std::vector<std::string> SampleDrawings() {
  const std::string folder = SamplesFolder();
  if (folder.empty()) return {};
  std::vector<std::string> names;
  for (const std::string& name : platform::ListFolder(folder)) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jww") == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Hex(const std::string& pairs) {
  std::string bytes;
  int nibbles = 0;
  int value = 0;
  for (char c : pairs) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else continue;
    value = value * 16 + digit;
    if (++nibbles == 2) {
      bytes.push_back(static_cast<char>(value));
      nibbles = 0;
      value = 0;
    }
  }
  return bytes;
}

}  // namespace testsupport
