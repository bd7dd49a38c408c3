// The desktop services the main window calls: message boxes, the file dialogs, the
// Escape key, the special folders, the drafting program's registration, starting a
// program and opening a file in the program the system has for it. Every string is Shift-JIS; every path is in Windows form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Options of a file dialog, combined with |.
enum DialogOption : std::uint32_t {
  kHideReadOnly = 1u << 0,
  kAllowMultiSelect = 1u << 1,
  kPathMustExist = 1u << 2,
  kFileMustExist = 1u << 3,
  kEnableSizing = 1u << 4,
  kOverwritePrompt = 1u << 5,  // a save dialog asks before an existing file is replaced
};

// The properties of an open or save dialog. A dialog that is confirmed sets Files (full
// paths, in the dialog's order), FileName (the first of them) and FilterIndex.
struct FileDialog {
  std::string Title;
  std::uint32_t Options = 0;
  std::string FileName;
  // "description|pattern|description|pattern..."
  std::string Filter;
  // 1 is the first filter
  std::int32_t FilterIndex = 1;
  // empty: the dialog's own choice
  std::string InitialDir;
  // added to a name given without an extension ("html"); empty: none
  std::string DefaultExt;
  std::vector<std::string> Files;
};

// The shell's special folders, by their CSIDL numbers.
enum class SpecialFolderId { Desktop = 16, Documents = 5 };

class Shell {
 public:
  virtual ~Shell() = default;

  // A modal message box with one OK button.
  virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
  // Runs an open dialog; false when the user cancels.
  virtual bool RunOpenDialog(FileDialog& dialog) = 0;
  // Runs a save dialog; false when the user cancels.
  virtual bool RunSaveDialog(FileDialog& dialog) = 0;
  // True while the Escape key is held down.
  virtual bool IsEscapeDown() = 0;
  // A special folder's path (a trailing backslash may be there or not); "" when it cannot be found.
  virtual std::string SpecialFolder(SpecialFolderId id) = 0;
  // The command registered to open the drafting program's documents; "" when none.
  virtual std::string JwCadOpenCommand() = 0;
  // Starts a program by the verb "OPEN"; whether it starts is not reported.
  virtual void StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) = 0;
  // Opens a file in the program the system has for its kind (the verb "open"); false when
  // none could be started.
  virtual bool OpenDocument(const std::string& file) = 0;
};

// The services of the system the program runs on.
class SystemShell : public Shell {
 public:
  SystemShell() = default;

  // The window that owns the dialogs and message boxes (an HWND on Windows); none by default.
  void SetOwner(void* window) { owner_ = window; }

  void ShowMessage(const std::string& caption, const std::string& text) override;
  bool RunOpenDialog(FileDialog& dialog) override;
  bool RunSaveDialog(FileDialog& dialog) override;
  bool IsEscapeDown() override;
  std::string SpecialFolder(SpecialFolderId id) override;
  std::string JwCadOpenCommand() override;
  void StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) override;
  bool OpenDocument(const std::string& file) override;

 protected:
  void* owner_ = nullptr;
};

}  // namespace platform
