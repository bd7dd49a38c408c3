#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Wide.h"
#include "platform/Shell.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Text.h"

namespace platform {

namespace {

// Room for the names a multiple selection returns, in characters.
constexpr DWORD kFileBufferChars = 1u << 16;

HWND Owner(void* owner) { return static_cast<HWND>(owner); }

// "a|b|c|d" as the double-NUL-terminated list the dialogs take.
std::wstring DialogFilter(const std::string& filter) {
  if (filter.empty()) return std::wstring(2, L'\0');
  std::wstring wide = win32::ToWide(filter);
  for (wchar_t& c : wide) {
    if (c == L'|') c = L'\0';
  }
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

DWORD DialogFlags(std::uint32_t options) {
  DWORD flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (options & kHideReadOnly) flags |= OFN_HIDEREADONLY;
  if (options & kAllowMultiSelect) flags |= OFN_ALLOWMULTISELECT;
  if (options & kPathMustExist) flags |= OFN_PATHMUSTEXIST;
  if (options & kFileMustExist) flags |= OFN_FILEMUSTEXIST;
  if (options & kEnableSizing) flags |= OFN_ENABLESIZING;
  if (options & kOverwritePrompt) flags |= OFN_OVERWRITEPROMPT;
  return flags;
}

// Runs the dialog and takes its answer into the properties.
bool RunDialog(HWND owner, FileDialog& dialog, bool open) {
  std::vector<wchar_t> buffer(kFileBufferChars, L'\0');
  const std::wstring initialName = win32::ToWide(dialog.FileName);
  initialName.copy(buffer.data(), std::min<std::size_t>(initialName.size(), buffer.size() - 2));
  const std::wstring filter = DialogFilter(dialog.Filter);
  const std::wstring title = win32::ToWide(dialog.Title);
  const std::wstring initialDir = win32::ToWide(dialog.InitialDir);
  const std::wstring defaultExt = win32::ToWide(dialog.DefaultExt);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = dialog.Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(dialog.FilterIndex < 0 ? 0 : dialog.FilterIndex);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = kFileBufferChars;
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  ofn.Flags = DialogFlags(dialog.Options);
  if (!(open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn))) return false;

  // one file: its full path; several: the folder, then each name, then an empty string
  std::vector<std::wstring> parts;
  const wchar_t* end = buffer.data() + buffer.size();
  for (const wchar_t* p = buffer.data(); p < end && *p != L'\0'; p += parts.back().size() + 1) parts.emplace_back(p);
  if (parts.empty()) return false;
  std::vector<std::wstring> chosen;
  if (parts.size() == 1) {
    chosen.push_back(parts[0]);
  } else {
    std::wstring folder = parts[0];
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    for (std::size_t i = 1; i < parts.size(); ++i) chosen.push_back(folder + parts[i]);
  }
  dialog.Files.clear();
  for (const std::wstring& path : chosen) {
    std::string sjis;
    if (win32::FromWide(path, sjis)) {
      dialog.Files.push_back(sjis);
    } else {
      win32::ShowUnrepresentableName(owner, path);
    }
  }
  if (dialog.Files.empty()) return false;
  dialog.FileName = dialog.Files.front();
  dialog.FilterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
  return true;
}

std::string SjisOrEmpty(const std::wstring& wide) {
  std::string sjis;
  return win32::FromWide(wide, sjis) ? sjis : std::string();
}

}  // namespace

void SystemShell::ShowMessage(const std::string& caption, const std::string& text) {
  MessageBoxW(Owner(owner_), win32::ToWide(text).c_str(), win32::ToWide(caption).c_str(), MB_OK);
}

bool SystemShell::RunOpenDialog(FileDialog& dialog) { return RunDialog(Owner(owner_), dialog, true); }

bool SystemShell::RunSaveDialog(FileDialog& dialog) { return RunDialog(Owner(owner_), dialog, false); }

bool SystemShell::IsEscapeDown() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

std::string SystemShell::SpecialFolder(SpecialFolderId id) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(Owner(owner_), static_cast<int>(id), &list)) || list == nullptr) return "";
  wchar_t path[MAX_PATH + 1] = {};
  const BOOL found = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  return found ? SjisOrEmpty(path) : std::string();
}

std::string SystemShell::JwCadOpenCommand() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Jwwin.Document\\shell\\open\\command", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return "";
  }
  std::wstring value;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
        ERROR_SUCCESS) {
      value = data.data();  // the stored text may lack its terminator
    }
  }
  RegCloseKey(key);
  if (type == REG_EXPAND_SZ && !value.empty()) {
    const DWORD length = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
    if (length > 0) {
      std::wstring expanded(length, L'\0');
      if (ExpandEnvironmentStringsW(value.c_str(), expanded.data(), length) == length) {
        expanded.resize(length - 1);
        value = expanded;
      }
    }
  }
  return SjisOrEmpty(value);
}

void SystemShell::StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  const std::wstring wideFile = win32::ToWide(file);
  const std::wstring wideParameters = win32::ToWide(parameters);
  const std::wstring wideFolder = win32::ToWide(folder);
  ShellExecuteW(Owner(owner_), L"OPEN", wideFile.c_str(), wideParameters.empty() ? nullptr : wideParameters.c_str(),
                wideFolder.empty() ? nullptr : wideFolder.c_str(), SW_SHOW);
}

bool SystemShell::OpenDocument(const std::string& file) {
  const std::wstring wideFile = win32::ToWide(file);
  // ShellExecute tells success by a value above 32
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(Owner(owner_), L"open", wideFile.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace platform

namespace platform::win32 {

void ShowUnrepresentableName(HWND owner, const std::wstring& name) {
  // ファイル名に Shift-JIS で表せない文字があるため変換できません。
  const std::wstring text = win32::ToWide(
      "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\x82\xC9 Shift-JIS \x82\xC5\x95\x5C\x82\xB9\x82\xC8\x82\xA2"
      "\x95\xB6\x8E\x9A\x82\xAA\x82\xA0\x82\xE9\x82\xBD\x82\xDF\x95\xCF\x8A\xB7\x82\xC5\x82\xAB\x82\xDC"
      "\x82\xB9\x82\xF1\x81\x42\r\n") + name;
  MessageBoxW(owner, text.c_str(), L"Quorvane", MB_OK);
}

}  // namespace platform::win32

namespace platform {

void ShowUnrepresentableName(void* owner, const std::wstring& name) {
  win32::ShowUnrepresentableName(static_cast<HWND>(owner), name);
}

}  // namespace platform
